#pragma once

#include <cstddef>

#include "order/record_id.hpp"

namespace recdb {

// The links of a record in one of the lists that thread through the record
// slots: the list of all records and the list of a group.
struct ListLinks {
    RecordId prev = NoRecord;
    RecordId next = NoRecord;
};

// The two ends and the length of such a list. The lists are doubly linked
// through the slots, so a record is linked in last or unlinked in O(1).
// linksOf(id) gives the ListLinks of a record.
struct IdList {
    RecordId first = NoRecord;
    RecordId last = NoRecord;
    std::size_t size = 0;

    template <typename LinksOf>
    void linkLast(RecordId id, LinksOf linksOf) {
        ListLinks& links = linksOf(id);
        links.prev = last;
        links.next = NoRecord;
        if (last == NoRecord) {
            first = id;
        } else {
            linksOf(last).next = id;
        }
        last = id;
        ++size;
    }

    template <typename LinksOf>
    void unlink(RecordId id, LinksOf linksOf) {
        ListLinks& links = linksOf(id);
        (links.prev == NoRecord ? first : linksOf(links.prev).next) = links.next;
        (links.next == NoRecord ? last : linksOf(links.next).prev) = links.prev;
        links = ListLinks{};
        --size;
    }
};

}  // namespace recdb
