#pragma once

#include <algorithm>
#include <cassert>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

#include "index/node_word.hpp"
#include "index/renumber_nodes.hpp"
#include "order/record_id.hpp"

namespace recdb {

// A node of an ordered index: its links in the tree, and the word that its
// colour bits and its key-order leaf share.
struct IndexNode {
    RecordId parent = NoRecord;
    RecordId left = NoRecord;
    RecordId right = NoRecord;
    NodeWord word;
};
static_assert(sizeof(IndexNode) == 16, "a node is four words");

// What a NodeStore tells about the links it changes: a chain is a maximal
// downward path along which every node but the last has one child, and the
// colour store keeps long chains whole in its chain set. The node store
// reports every chain link that goes or comes; the observer may say that it
// does not follow chains yet, and is then told nothing.
template <typename Observer>
concept ChainObserver = requires(Observer& observer, RecordId node) {
    { observer.followsChains() } -> std::convertible_to<bool>;
    // The chain link from node's parent down to node goes.
    observer.cutChainLink(node);
    // A chain link comes from an upper node down to its only child.
    observer.joinChainLink(node, node);
    // The second node takes the place of the first, and its colour.
    observer.takePlace(node, node);
};

// The links of an ordered index's tree, by node number (a record's node
// number is its record number): the only code that changes them. Every change
// goes through one protocol, so that whoever keeps chains never sees a stale
// link: it isolates every node whose parent or children are about to change
// (cuts the chain links above and below it), changes the links, and relinks
// the same nodes (joins the chain links they have now), telling the observer
// of each cut and join. Nothing here reads or writes a colour; the words are
// lent to their owners (NodeWord).
class NodeStore {
public:
    RecordId root() const { return root_; }
    RecordId parent(RecordId node) const { return nodes_[node].parent; }
    RecordId left(RecordId node) const { return nodes_[node].left; }
    RecordId right(RecordId node) const { return nodes_[node].right; }
    // The child of a node with exactly one, else NoRecord.
    RecordId onlyChild(RecordId node) const {
        const IndexNode& n = nodes_[node];
        if ((n.left == NoRecord) == (n.right == NoRecord)) {
            return NoRecord;
        }
        return n.left != NoRecord ? n.left : n.right;
    }
    // Whether node has a parent of which it is the only child: then the two
    // are linked in one chain.
    bool isOnlyChild(RecordId node) const {
        const RecordId up = nodes_[node].parent;
        return up != NoRecord && onlyChild(up) == node;
    }
    // The other child of node's parent (node has a parent).
    RecordId sibling(RecordId node) const {
        const IndexNode& up = nodes_[nodes_[node].parent];
        return up.left == node ? up.right : up.left;
    }
    NodeWord& word(RecordId node) { return nodes_[node].word; }
    const NodeWord& word(RecordId node) const { return nodes_[node].word; }
    void prefetch(RecordId node) const { __builtin_prefetch(&nodes_[node]); }
    // The tree's nodes in order, walked with a stack of its own: a tree being
    // checked may be as deep as it has nodes.
    std::vector<RecordId> inOrder() const {
        std::vector<RecordId> ordered;
        std::vector<RecordId> pending;
        for (RecordId node = root_; node != NoRecord || !pending.empty();) {
            if (node != NoRecord) {
                pending.push_back(node);
                node = nodes_[node].left;
                continue;
            }
            node = pending.back();
            pending.pop_back();
            ordered.push_back(node);
            node = nodes_[node].right;
        }
        return ordered;
    }

    // Node slots, for every node number below size().
    std::size_t size() const { return nodes_.size(); }
    // Room for every node number up to limit; may throw std::bad_alloc,
    // changing nothing seen.
    void makeRoom(std::size_t limit) {
        if (nodes_.size() <= limit) {
            nodes_.reserve(std::max(limit + 1, 2 * nodes_.size()));
            nodes_.resize(nodes_.capacity());
        }
    }
    // Makes node's slot a fresh node: plain, red, linked to nothing.
    void renew(RecordId node) { nodes_[node] = IndexNode{}; }
    // count fresh nodes and no tree, for a bulk build.
    void startOver(std::size_t count) {
        nodes_.assign(count, IndexNode{});
        root_ = NoRecord;
    }
    void clear() {
        std::vector<IndexNode>().swap(nodes_);
        root_ = NoRecord;
    }

    // A fresh node (plain, red, in no tree) becomes the whole tree or is
    // attached where a descent from the root would end: the right child of
    // its predecessor when that has none (the successor is then its
    // ancestor), else the left child of its successor, which then has none.
    void plantRoot(RecordId node);
    template <ChainObserver Observer>
    void attachBetween(RecordId node, RecordId predecessor, RecordId successor, Observer& observer);
    // Rotates the right (leftRotation) or left child of node up into its place.
    template <ChainObserver Observer>
    void rotate(RecordId node, bool leftRotation, Observer& observer);
    // Takes out a node without a left child: its right child (or nothing)
    // takes its place. Returns its parent, NoRecord when it was the root.
    template <ChainObserver Observer>
    RecordId spliceOut(RecordId node, Observer& observer);
    // Takes out a node with a left child: its predecessor (the rightmost
    // node of that subtree) leaves its place to its own left child and takes
    // the node's place and links. Returns the predecessor's old parent, or
    // the predecessor where that was the node.
    template <ChainObserver Observer>
    RecordId replaceByPredecessor(RecordId node, RecordId predecessor, Observer& observer);

    // Renumbers every node from n to numberOf(n), a permutation (see
    // renumberNodes).
    template <typename NumberOf, typename PrefetchNumberOf>
    void renumber(NumberOf numberOf, PrefetchNumberOf prefetchNumberOf);

    std::uint64_t rotations() const { return rotations_; }

private:
    template <ChainObserver Observer>
    void isolate(RecordId node, Observer& observer);
    template <ChainObserver Observer>
    void relink(std::initializer_list<RecordId> nodes, Observer& observer);
    void replaceChild(RecordId parent, RecordId oldChild, RecordId newChild) {
        if (parent == NoRecord) {
            root_ = newChild;
        } else if (nodes_[parent].left == oldChild) {
            nodes_[parent].left = newChild;
        } else {
            nodes_[parent].right = newChild;
        }
        if (newChild != NoRecord) {
            nodes_[newChild].parent = parent;
        }
    }

    std::vector<IndexNode> nodes_;
    RecordId root_ = NoRecord;
    std::uint64_t rotations_ = 0;
};

inline void NodeStore::plantRoot(RecordId node) {
    assert(root_ == NoRecord);
    root_ = node;
}

// Only a leaf is added, so nothing needs isolating: if the parent had one
// child, that child's chain link goes (the parent now has two), else the new
// node joins the parent's chain.
template <ChainObserver Observer>
void NodeStore::attachBetween(RecordId node, RecordId predecessor, RecordId successor, Observer& observer) {
    const bool asRight = predecessor != NoRecord && nodes_[predecessor].right == NoRecord;
    const RecordId parent = asRight ? predecessor : successor;
    assert(parent != NoRecord && (asRight || nodes_[parent].left == NoRecord));
    const bool follows = observer.followsChains();
    const RecordId other = follows ? onlyChild(parent) : NoRecord;
    if (other != NoRecord) {
        observer.cutChainLink(other);
    }
    (asRight ? nodes_[parent].right : nodes_[parent].left) = node;
    nodes_[node].parent = parent;
    if (other == NoRecord && follows) {
        observer.joinChainLink(parent, node);
    }
}

template <ChainObserver Observer>
void NodeStore::rotate(RecordId node, bool leftRotation, Observer& observer) {
    ++rotations_;
    const RecordId up = leftRotation ? nodes_[node].right : nodes_[node].left;
    isolate(node, observer);
    isolate(up, observer);
    RecordId& inner = leftRotation ? nodes_[up].left : nodes_[up].right;
    (leftRotation ? nodes_[node].right : nodes_[node].left) = inner;
    if (inner != NoRecord) {
        nodes_[inner].parent = node;
    }
    replaceChild(nodes_[node].parent, node, up);
    inner = node;
    nodes_[node].parent = up;
    relink({node, up}, observer);
}

template <ChainObserver Observer>
RecordId NodeStore::spliceOut(RecordId node, Observer& observer) {
    assert(nodes_[node].left == NoRecord);
    const RecordId parent = nodes_[node].parent;
    const RecordId child = nodes_[node].right;
    isolate(node, observer);
    if (parent == NoRecord) {
        root_ = child;
        if (child != NoRecord) {
            nodes_[child].parent = NoRecord;
        }
        return NoRecord;
    }
    isolate(parent, observer);
    replaceChild(parent, node, child);
    relink({parent}, observer);
    return parent;
}

template <ChainObserver Observer>
RecordId NodeStore::replaceByPredecessor(RecordId node, RecordId predecessor, Observer& observer) {
    const RecordId parent = nodes_[predecessor].parent;
    isolate(predecessor, observer);
    isolate(parent, observer);
    isolate(node, observer);
    replaceChild(parent, predecessor, nodes_[predecessor].left);
    const IndexNode place = nodes_[node];
    nodes_[predecessor].parent = place.parent;
    nodes_[predecessor].left = place.left;
    nodes_[predecessor].right = place.right;
    replaceChild(place.parent, node, predecessor);
    for (const RecordId child : {place.left, place.right}) {
        if (child != NoRecord) {
            nodes_[child].parent = predecessor;
        }
    }
    observer.takePlace(node, predecessor);
    const RecordId receiver = parent == node ? predecessor : parent;
    relink({receiver, predecessor}, observer);
    return receiver;
}

// Cuts every chain link that touches node, leaving it a chain of its own.
// While the observer follows no chains, neither this nor relink has anything
// to do (nor any other node to read).
template <ChainObserver Observer>
void NodeStore::isolate(RecordId node, Observer& observer) {
    if (!observer.followsChains()) {
        return;
    }
    if (isOnlyChild(node)) {
        observer.cutChainLink(node);
    }
    const RecordId child = onlyChild(node);
    if (child != NoRecord) {
        observer.cutChainLink(child);
    }
}

// After the tree changed around isolated nodes: joins every chain link that
// the tree now has at these nodes (at most two each: to the parent and to the
// only child), each once.
template <ChainObserver Observer>
void NodeStore::relink(std::initializer_list<RecordId> nodes, Observer& observer) {
    assert(nodes.size() <= 2);
    if (!observer.followsChains()) {
        return;
    }
    std::pair<RecordId, RecordId> links[4];
    std::size_t count = 0;
    const auto add = [&links, &count](RecordId upper, RecordId lower) {
        for (std::size_t k = 0; k < count; ++k) {
            if (links[k].first == upper) {
                return;
            }
        }
        assert(count < std::size(links));
        links[count++] = {upper, lower};
    };
    for (const RecordId node : nodes) {
        if (isOnlyChild(node)) {
            add(nodes_[node].parent, node);
        }
        const RecordId child = onlyChild(node);
        if (child != NoRecord) {
            add(node, child);
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        observer.joinChainLink(links[k].first, links[k].second);
    }
}

template <typename NumberOf, typename PrefetchNumberOf>
void NodeStore::renumber(NumberOf numberOf, PrefetchNumberOf prefetchNumberOf) {
    renumberNodes(nodes_, numberOf, prefetchNumberOf, &IndexNode::parent, &IndexNode::left, &IndexNode::right);
    root_ = root_ == NoRecord ? NoRecord : numberOf(root_);
}

}  // namespace recdb
