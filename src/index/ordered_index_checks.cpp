// The invariant checks of an ordered index: every rule of
// doc/ordered-index.md, section 2, in O(n), reading without changing
// anything (the chain set is not splayed).
#include "index/ordered_index.hpp"

namespace recdb {

bool OrderedIndex::invariantsHold(std::string& why) const {
    const RecordId root = nodes_.root();
    if (root != NoRecord && nodes_.parent(root) != NoRecord) {
        why = "the root has a parent";
        return false;
    }
    if (!keys_.structureHolds()) {
        why = "the key order's B+ tree does not hold together";
        return false;
    }
    const std::vector<RecordId> inOrder = nodes_.inOrder();
    if (!linksAndOrderHold(inOrder, why)) {
        return false;
    }
    const std::vector<Colour> colours = colours_.coloursOfTree();
    if (root != NoRecord && colours[root] != Colour::Black) {
        why = "the root is red";
        return false;
    }
    for (const RecordId node : inOrder) {
        const RecordId parent = nodes_.parent(node);
        if (parent != NoRecord && colours[node] == Colour::Red && colours[parent] == Colour::Red) {
            why = "a red node has a red parent: node " + std::to_string(node);
            return false;
        }
        // A node starts its chain exactly when its parent does not have it
        // as its only child.
        if (!nodes_.isOnlyChild(node) && !colours_.chainHolds(node, why)) {
            return false;
        }
    }
    return true;
}

// The tree's links agree, and its in-order is sorted and is the key order,
// each node knowing its leaf.
bool OrderedIndex::linksAndOrderHold(const std::vector<RecordId>& inOrder, std::string& why) const {
    for (const RecordId node : inOrder) {
        for (const RecordId child : {nodes_.left(node), nodes_.right(node)}) {
            if (child != NoRecord && nodes_.parent(child) != node) {
                why = "a child's parent link points elsewhere: node " + std::to_string(child);
                return false;
            }
        }
    }
    if (keys_.entries() != inOrder) {
        why = "the key order differs from the tree's in-order";
        return false;
    }
    if (!keys_.leavesKnown(leafWords())) {
        why = "a node does not know its key order leaf";
        return false;
    }
    for (std::size_t k = 1; k < inOrder.size(); ++k) {
        if (isAbove(comparer_.compare(inOrder[k - 1], comparer_.probeOfRecord(inOrder[k])))) {
            why = "the in-order is not sorted at " + std::to_string(k);
            return false;
        }
    }
    return true;
}

}  // namespace recdb
