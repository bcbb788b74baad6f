#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "store/id_list.hpp"
#include "store/record_store.hpp"

namespace recdb {

// The records by group: for each group that has records, the list of them in
// the order in which they were filed, threaded through the record slots. The
// groups are kept in one ordered map, so a group range visits only the
// groups that exist, in ascending order.
class GroupIndex {
public:
    explicit GroupIndex(RecordStore& records) : records_(records) {}
    GroupIndex(const GroupIndex&) = delete;
    GroupIndex& operator=(const GroupIndex&) = delete;

    // Makes sure the group has an entry, the one allocation that adding a
    // record to it can need; may throw std::bad_alloc. An entry made here
    // stays empty only until the record is added.
    void prepareAdd(std::int32_t group);
    // Appends a record to its group's list, whose entry must exist.
    void add(RecordId id);
    // Appends a record to its group's list, making the entry if need be;
    // may throw std::bad_alloc, for loads, which fail as a whole.
    void addMaking(RecordId id);
    // Takes a record out of its group's list; the entry goes with the last one.
    void remove(RecordId id);
    void clear();

    // The records of the groups low..high, ascending by group, each group's
    // in filing order; nothing when low > high.
    template <typename Visit>
    void forEachInRange(std::int32_t low, std::int32_t high, Visit visit) const {
        if (low > high) {
            return;
        }
        const auto end = groups_.upper_bound(high);
        for (auto entry = groups_.lower_bound(low); entry != end; ++entry) {
            for (RecordId id = entry->second.first; id != NoRecord; id = records_.groupLinks(id).next) {
                visit(id);
            }
        }
    }
    // The number of records of one group.
    std::size_t sizeOf(std::int32_t group) const;

private:
    auto linksOf() {
        return [this](RecordId id) -> ListLinks& { return records_.groupLinks(id); };
    }
    // A small cache of the lists of recent groups spares most of the map's
    // searches (a load files records of a few groups in any order): the list
    // of a group if the cache holds it, else null; and putting one in.
    IdList* cached(std::int32_t group) const;
    IdList& remember(std::int32_t group, IdList& list);
    // The list of a group that has an entry.
    IdList& listOf(std::int32_t group);
    static std::size_t cacheSlotOf(std::int32_t group);

    RecordStore& records_;
    std::map<std::int32_t, IdList> groups_;
    struct Cached {
        std::int32_t group = 0;
        IdList* list = nullptr;
    };
    std::vector<Cached> cache_ = std::vector<Cached>(4096);
};

}  // namespace recdb
