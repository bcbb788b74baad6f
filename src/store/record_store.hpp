#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "order/record_id.hpp"
#include "order/record_keys.hpp"
#include "store/id_list.hpp"
#include "store/record.hpp"
#include "store/text_arena.hpp"

namespace recdb {

// Owns every record of the database, in the order in which they were filed.
// A record lives in a numbered slot (its number is also its node number in
// every index) with its numbers and the links of its two lists; its name and
// info are packed in a text arena. Numbers of removed records are reused.
//
// Adding is split in two: prepare allocates whatever a record will need and
// may throw std::bad_alloc, leaving nothing changed; add then cannot fail.
class RecordStore final : public RecordKeys {
public:
    RecordStore() = default;
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    void prepare(const RecordView& record);
    // Files a copy of the record last in the list; prepare must have been
    // called for it since the last change.
    RecordId add(const RecordView& record);
    void erase(RecordId id);
    void clear();
    // Reserves slots for count records in all, for a load that knows its size.
    void reserve(std::size_t count);

    bool isEmpty() const { return list_.size == 0; }
    std::size_t size() const { return list_.size; }
    // One past the highest record number ever handed out since the last
    // clear (numbers of removed records count, being reused first): the
    // indexes size their node arrays by it.
    std::size_t idLimit() const override { return slots_.size(); }
    // The records in filing order.
    RecordId first() const { return list_.first; }
    RecordId next(RecordId id) const { return slots_[id].list.next; }

    std::string_view name(RecordId id) const { return arena_.name(slots_[id].text); }
    std::optional<std::string_view> info(RecordId id) const { return arena_.info(slots_[id].text); }
    std::int32_t group(RecordId id) const { return slots_[id].group; }
    std::int32_t ratingNum(RecordId id) const { return slots_[id].ratingNum; }
    std::int32_t ratingDen(RecordId id) const { return slots_[id].ratingDen; }
    Record record(RecordId id) const;
    // Fetch a record's slot, or (once its slot is at hand) its texts, into
    // the cache ahead of use: for walks over records at random places.
    void prefetchSlot(RecordId id) const { __builtin_prefetch(&slots_[id]); }
    void prefetchTexts(RecordId id) const { arena_.prefetch(slots_[id].text); }

    // What the ordered indexes read of a record.
    std::string_view nameOf(RecordId id) const override { return name(id); }
    IndexKey keyOf(RecordId id) const override { return indexKeyOf(name(id), ratingNum(id), ratingDen(id)); }
    IndexKey ratingOf(RecordId id) const override { return {0, 0, ratingNum(id), ratingDen(id)}; }

    // The links of a record in its group's list, kept here for the group index.
    ListLinks& groupLinks(RecordId id) { return slots_[id].groupList; }
    const ListLinks& groupLinks(RecordId id) const { return slots_[id].groupList; }

    // The bytes of the text arena's blocks (see TextArena::heldBytes).
    std::size_t textBytesHeld() const { return arena_.heldBytes(); }

private:
    struct Slot {
        TextArena::Handle text = 0;
        std::int32_t group = 0;
        std::int32_t ratingNum = 0;
        std::int32_t ratingDen = 0;
        ListLinks list;
        ListLinks groupList;
    };
    void compactTexts();

    std::vector<Slot> slots_;
    RecordId freeHead_ = NoRecord;
    IdList list_;
    TextArena arena_;
};

}  // namespace recdb
