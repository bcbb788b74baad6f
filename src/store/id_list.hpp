#pragma once

#include <cstddef>

#include "index/node_id.hpp"

namespace recdb {

// The links of a record in one of the lists that thread through the record
// slots: the list of all records and the list of a group.
struct ListLinks {
    NodeId prev = NoNode;
    NodeId next = NoNode;
};

// The two ends and the length of such a list. The lists are doubly linked
// through the slots, so a record is linked in last or unlinked in O(1).
// linksOf(id) gives the ListLinks of a record.
struct IdList {
    NodeId first = NoNode;
    NodeId last = NoNode;
    std::size_t size = 0;

    template <typename LinksOf>
    void linkLast(NodeId id, LinksOf linksOf) {
        ListLinks& links = linksOf(id);
        links.prev = last;
        links.next = NoNode;
        if (last == NoNode) {
            first = id;
        } else {
            linksOf(last).next = id;
        }
        last = id;
        ++size;
    }

    template <typename LinksOf>
    void unlink(NodeId id, LinksOf linksOf) {
        ListLinks& links = linksOf(id);
        (links.prev == NoNode ? first : linksOf(links.prev).next) = links.next;
        (links.next == NoNode ? last : linksOf(links.next).prev) = links.prev;
        links = ListLinks{};
        --size;
    }
};

}  // namespace recdb
