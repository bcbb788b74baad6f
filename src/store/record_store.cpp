#include "store/record_store.hpp"

#include <new>

namespace recdb {

namespace {

// Holes in the arena are given back once they outweigh the live texts and
// are large enough to be worth a pass over every record.
constexpr std::size_t CompactionFloor = std::size_t{16} << 20;

}  // namespace

void RecordStore::prepare(const RecordView& record) {
    if (arena_.freedBytes() > CompactionFloor && arena_.freedBytes() > arena_.liveBytes()) {
        try {
            compactTexts();
        } catch (const std::bad_alloc&) {
            // Compaction only saves memory; without it the arena still works.
        }
    }
    arena_.reserve(TextArena::sizeOf(record.name, record.info));
    if (freeHead_ == NoRecord && slots_.size() == slots_.capacity()) {
        slots_.reserve(slots_.empty() ? 16 : slots_.size() * 2);
    }
}

void RecordStore::reserve(std::size_t count) { slots_.reserve(count); }

RecordId RecordStore::add(const RecordView& record) {
    RecordId id = freeHead_;
    if (id == NoRecord) {
        id = static_cast<RecordId>(slots_.size());
        slots_.emplace_back();
    } else {
        freeHead_ = slots_[id].list.next;
    }
    Slot& slot = slots_[id];
    slot.text = arena_.store(record.name, record.info);
    slot.group = record.group;
    slot.ratingNum = record.ratingNum;
    slot.ratingDen = record.ratingDen;
    list_.linkLast(id, [this](RecordId at) -> ListLinks& { return slots_[at].list; });
    return id;
}

void RecordStore::erase(RecordId id) {
    list_.unlink(id, [this](RecordId at) -> ListLinks& { return slots_[at].list; });
    arena_.release(slots_[id].text);
    // Free slots are chained through their list links.
    slots_[id].list.next = freeHead_;
    freeHead_ = id;
}

void RecordStore::clear() {
    std::vector<Slot>().swap(slots_);
    freeHead_ = NoRecord;
    list_ = IdList{};
    arena_.clear();
}

Record RecordStore::record(RecordId id) const {
    Record record;
    record.setName(name(id));
    record.group = group(id);
    record.ratingNum = ratingNum(id);
    record.ratingDen = ratingDen(id);
    if (const auto text = info(id)) {
        record.info.emplace(*text);
    }
    return record;
}

// Copies every live text into a fresh arena. Everything that can fail
// happens before the first handle changes.
void RecordStore::compactTexts() {
    std::vector<TextArena::Handle> handles;
    handles.reserve(list_.size);
    TextArena fresh;
    for (RecordId id = list_.first; id != NoRecord; id = slots_[id].list.next) {
        handles.push_back(fresh.store(name(id), info(id)));
    }
    std::size_t k = 0;
    for (RecordId id = list_.first; id != NoRecord; id = slots_[id].list.next) {
        slots_[id].text = handles[k++];
    }
    arena_ = std::move(fresh);
}

}  // namespace recdb
