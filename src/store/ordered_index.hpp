#pragma once

#include <array>
#include <vector>

#include "store/index_key.hpp"
#include "store/node_pool.hpp"
#include "store/record_list.hpp"
#include "store/spine_chain.hpp"

namespace recdb {

// A node of an ordered index. Colour 0 is red, 1 black, 2 double black (only
// while a removal is being repaired).
struct IndexNode {
    RecordNode* record = nullptr;
    IndexKey key;
    IndexNode* parent = nullptr;
    IndexNode* left = nullptr;
    IndexNode* right = nullptr;
    int colour = 0;
};

// A red-black search tree of record references with this system's own
// rebalancing rules: on insertion a missing uncle counts as red, and on
// removal the colour of the node taken out passes to its parent. The rules
// keep a correct search tree but do not bound its height (ascending inserts
// build a chain), and the tree's shape decides the order in which
// collectEqualPrimary delivers records, so the rules are kept exactly.
//
// A record equal to a node goes into that node's left subtree. Each record
// keeps a handle to its own node (the member given at construction), so
// removal starts at that node instead of searching for it. Every operation is
// iterative: no recursion grows with the tree's height. The index owns its
// nodes through a pool, never the records.
class OrderedIndex {
public:
    using Handle = IndexNode* RecordNode::*;

    OrderedIndex(KeyedComparison compare, Handle handle) : compare_(compare), handle_(handle) {}
    OrderedIndex(const OrderedIndex&) = delete;
    OrderedIndex& operator=(const OrderedIndex&) = delete;

    // Where a new node is attached: below parent, on the right or the left.
    struct Place {
        IndexNode* parent;
        bool right;
    };

    // Files a record; a place that find gave for it, with no change to the
    // index since, spares the descent.
    void insert(RecordNode* record, const Place* place = nullptr);
    // The record comparing 0 with the key that a descent from the root meets
    // first, or null; then place, if given, receives where a record with
    // this key would be attached.
    RecordNode* find(const Record& key, Place* place = nullptr) const;
    // Takes a record of this index out.
    void remove(RecordNode* record);
    // Appends every record whose comparison with the key gives 0, 2 or -2,
    // in pre-order of the subtree below the first such record on the descent.
    void collectEqualPrimary(const Record& key, std::vector<RecordNode*>& out) const;
    void clear();

    // The root, with every node's colour written out.
    const IndexNode* root() const;

private:
    // A record with its key, as it is compared with the nodes.
    struct Probe {
        IndexKey key;
        const Record& record;
    };
    static Probe probeOf(const Record& record) { return {indexKeyOf(record), record}; }
    // The comparison of a node's record (first) with the probe (second).
    int compareNode(const IndexNode* node, const Probe& probe) const {
        return compare_(node->key, node->record->record, probe.key, probe.record);
    }
    Place locate(const Probe& probe) const;
    void attach(IndexNode* node, IndexNode* parent, bool asRight);
    void replaceChild(IndexNode* parent, IndexNode* oldChild, IndexNode* newChild);
    void rotateLeft(IndexNode* node);
    void rotateRight(IndexNode* node);
    void rotateToward(IndexNode* node, bool leftSide);
    void repairInsert(IndexNode* node);
    void restructure(IndexNode* x, IndexNode* p, IndexNode* g);
    void repairRemove(IndexNode* node);
    void refreshExtremes();
    void appendToSpine(IndexNode* node, bool rightSpine);
    void repairBeside(IndexNode* node, SpineChain& otherSpine);
    void settleColours() const;

    KeyedComparison compare_;
    Handle handle_;
    NodePool<IndexNode> nodes_;
    IndexNode* root_ = nullptr;
    // The first and last nodes in order. Inserting beyond either end, or
    // looking up a key beyond it, needs no descent: the comparisons are total
    // preorders, so such a descent would turn the same way at every node.
    IndexNode* leftmost_ = nullptr;
    IndexNode* rightmost_ = nullptr;

    // Names inserted in ascending (or descending) order make the tree a
    // chain, and each insertion's repair then recolours every second node up
    // the chain. The runs kept here, one per spine, let such a repair flip a
    // whole run in O(1) instead of walking it (see SpineChain); any other
    // operation first writes their colours into the nodes.
    mutable std::array<SpineChain, 2> spines_{SpineChain(false), SpineChain(true)};
};

}  // namespace recdb
