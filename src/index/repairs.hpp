#pragma once

#include <cstdint>

#include "index/colour_store.hpp"
#include "index/node_store.hpp"

namespace recdb {

// The two repairs of the tree's rules, case for case as doc/ordered-index.md
// (section 4) draws them, and the removal that the remove repair follows. On
// insertion a missing uncle counts as red; on removal the colour of the node
// taken out passes to its parent. They change links only through the node
// store and colours only through the colour store, which lets them cross a
// long chain in one step.
class Repairs {
public:
    Repairs(NodeStore& nodes, ColourStore& colours) : nodes_(nodes), colours_(colours) {}

    // Files a fresh node (NodeStore::renew) between its neighbours in key
    // order, NoRecord where it has none, as the root when the tree is empty,
    // and repairs.
    void insert(RecordId node, RecordId predecessor, RecordId successor);
    // The insert repair at a new red node.
    void afterInsert(RecordId node);
    // Takes a node out of the tree and repairs: predecessor is its
    // predecessor in key order when it has a left child, else NoRecord.
    void remove(RecordId node, RecordId predecessor);

    // The rounds of both repairs so far.
    std::uint64_t steps() const { return steps_; }

private:
    void restructure(RecordId x, RecordId p, RecordId g);
    void passColourUp(RecordId parent);
    bool takesExtraBlack(RecordId node);
    void afterRemove(RecordId x);
    RecordId pushUp(RecordId x, ColourStore::PlainWalk& walk);
    bool rotateRedNephewUp(RecordId p, RecordId sibling, bool xIsLeft);

    NodeStore& nodes_;
    ColourStore& colours_;
    std::uint64_t steps_ = 0;
};

}  // namespace recdb
