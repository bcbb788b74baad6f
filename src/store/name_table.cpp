#include "store/name_table.hpp"

#include <algorithm>
#include <cstring>

namespace recdb {

namespace {

// The table is never more than this full (in eighths): it grows to twice the
// room when an insert would pass that, and a bulk filing sizes it to just
// that. With the tags, a miss then reads about two slots on average.
constexpr std::size_t MaxLoadEighths = 6;

std::size_t slotsFor(std::size_t count) { return std::max<std::size_t>(16, count * 8 / MaxLoadEighths + 1); }

}  // namespace

std::uint64_t NameTable::hashOf(std::string_view name) {
    // Names are short: eight bytes at a time, each word folded in by a
    // multiply, then a final mix, so that the low half (the home slot) and
    // the top byte (the tag) both depend on every byte.
    std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ name.size();
    std::size_t at = 0;
    for (; at + 8 <= name.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, name.data() + at, sizeof word);
        hash = (hash ^ word) * 0xbf58476d1ce4e5b9ULL;
    }
    if (at < name.size()) {
        unsigned char tail[8] = {};
        std::copy_n(name.data() + at, name.size() - at, tail);
        std::uint64_t word = 0;
        std::memcpy(&word, tail, sizeof word);
        hash = (hash ^ word) * 0xbf58476d1ce4e5b9ULL;
    }
    hash ^= hash >> 31;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    return hash;
}

void NameTable::allocate(std::size_t count) {
    // Every byte 0xFF: each cell's record number is NoRecord.
    const std::size_t slots = slotsFor(count);
    std::vector<unsigned char> fresh(slots * CellSize, 0xFF);
    cells_.swap(fresh);
    slots_ = slots;
}

void NameTable::place(RecordId id, std::uint64_t hash) {
    std::size_t slot = homeOf(hash);
    while (idAt(slot) != NoRecord) {
        slot = after(slot);
    }
    set(slot, id, tagOf(hash));
}

void NameTable::prepareInsert() {
    if ((count_ + 1) * 8 <= slots_ * MaxLoadEighths) {
        return;
    }
    NameTable grown(records_);
    grown.allocate(2 * (count_ + 1));
    for (std::size_t slot = 0; slot < slots_; ++slot) {
        if (const RecordId id = idAt(slot); id != NoRecord) {
            grown.place(id, hashOf(records_.name(id)));
        }
    }
    cells_.swap(grown.cells_);
    std::swap(slots_, grown.slots_);
}

void NameTable::insert(RecordId id) {
    place(id, hashOf(records_.name(id)));
    ++count_;
}

// The slot that holds name, or the empty slot that ends its run.
std::size_t NameTable::probe(std::uint64_t hash, std::string_view name) const {
    const std::uint8_t tag = tagOf(hash);
    std::size_t slot = homeOf(hash);
    while (idAt(slot) != NoRecord && (tagAt(slot) != tag || records_.name(idAt(slot)) != name)) {
        slot = after(slot);
    }
    return slot;
}

RecordId NameTable::find(std::string_view name) const {
    if (count_ == 0) {
        return NoRecord;
    }
    return idAt(probe(hashOf(name), name));
}

// Linear probing without tombstones: after emptying a slot, later entries of
// its run move back into it if their home slot does not lie after it.
void NameTable::remove(RecordId id) {
    std::size_t hole = homeOf(hashOf(records_.name(id)));
    while (idAt(hole) != id) {
        hole = after(hole);
    }
    // How far a slot lies cyclically after another.
    const auto distance = [this](std::size_t from, std::size_t to) {
        return to >= from ? to - from : to + slots_ - from;
    };
    for (std::size_t slot = after(hole); idAt(slot) != NoRecord; slot = after(slot)) {
        const std::size_t home = homeOf(hashOf(records_.name(idAt(slot))));
        // The entry may move back when its home is not cyclically in (hole, slot].
        const bool homeAfterHole = home != hole && distance(hole, home) <= distance(hole, slot);
        if (!homeAfterHole) {
            copyCell(hole, slot);
            hole = slot;
        }
    }
    set(hole, NoRecord, 0xFF);
    --count_;
}

bool NameTable::insertAll(std::size_t count, const BulkProgress& progress) {
    allocate(count);
    // The home slots are far apart in a large table: the hashes of the next
    // names are worked out ahead and their slots fetched into the cache.
    constexpr std::size_t Ahead = 16;
    std::uint64_t hashes[Ahead];
    const auto look = [this, &hashes, count](std::size_t k) {
        if (k < count) {
            const std::uint64_t hash = hashOf(records_.name(static_cast<RecordId>(k)));
            hashes[k % Ahead] = hash;
            __builtin_prefetch(cell(homeOf(hash)), 1);
        }
    };
    for (std::size_t k = 0; k < Ahead; ++k) {
        look(k);
    }
    for (std::size_t k = 0; k < count; ++k) {
        const auto id = static_cast<RecordId>(k);
        const std::uint64_t hash = hashes[k % Ahead];
        look(k + Ahead);
        const std::size_t slot = probe(hash, records_.name(id));
        if (idAt(slot) != NoRecord) {
            clear();
            return false;
        }
        set(slot, id, tagOf(hash));
        ++count_;
        if (count_ % BulkProgressStride == 0 && progress) {
            progress(count_);
        }
    }
    return true;
}

void NameTable::clear() {
    std::vector<unsigned char>().swap(cells_);
    slots_ = 0;
    count_ = 0;
}

}  // namespace recdb
