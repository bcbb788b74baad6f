#pragma once

#include "store/record.hpp"
#include "store/ring.hpp"

namespace recdb {

struct IndexNode;
struct GroupEntry;
struct RefNode;

// One record held by the database's list, with handles to the places that
// refer to it: its node in each ordered index and its entry and reference in
// the group index. The handles let a removal go straight to those places.
struct RecordNode : RingLink {
    Record record;
    IndexNode* nameNode = nullptr;
    IndexNode* ratingNode = nullptr;
    GroupEntry* groupEntry = nullptr;
    RefNode* groupRef = nullptr;
};

// The list that owns every record, in the order of addition. References to
// a node stay valid until that node is removed or the list is cleared.
class RecordList {
public:
    RecordList() = default;
    RecordList(const RecordList&) = delete;
    RecordList& operator=(const RecordList&) = delete;
    ~RecordList();

    bool isEmpty() const { return ring_.isEmpty(); }
    std::size_t size() const { return ring_.size(); }

    // Links a copy of the record in last and returns its node.
    RecordNode* append(const Record& record);
    // Unlinks and frees a node of this list.
    void removeNode(RecordNode* node);
    void clear();

    auto begin() const { return ring_.begin(); }
    auto end() const { return ring_.end(); }

private:
    Ring<RecordNode> ring_;
};

}  // namespace recdb
