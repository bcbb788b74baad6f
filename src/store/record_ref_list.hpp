#pragma once

#include "store/record_list.hpp"
#include "store/ring.hpp"

namespace recdb {

// One non-owning reference to a record node.
struct RefNode : RingLink {
    RecordNode* record = nullptr;
};

// An ordered list of references to records, as kept per group and by the
// selection. It owns its reference nodes, never the records.
class RecordRefList {
public:
    RecordRefList() = default;
    RecordRefList(const RecordRefList&) = delete;
    RecordRefList& operator=(const RecordRefList&) = delete;
    ~RecordRefList();

    bool isEmpty() const { return ring_.isEmpty(); }
    std::size_t size() const { return ring_.size(); }

    // Links a new reference in last and returns its node.
    RefNode* append(RecordNode* record);
    // Unlinks and frees one reference node of this list.
    void erase(RefNode* node);
    void clear();

    auto begin() const { return ring_.begin(); }
    auto end() const { return ring_.end(); }

private:
    Ring<RefNode> ring_;
};

}  // namespace recdb
