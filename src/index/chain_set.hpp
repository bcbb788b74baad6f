#pragma once

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "index/renumber_nodes.hpp"

namespace recdb {

// Node colours of an ordered index.
enum class Colour : std::uint8_t { Red = 0, Black = 1 };

// The links of a node in the splay tree of its chain, with its colour and
// summary bits (see ChainSet).
struct ChainLinks {
    RecordId up = NoRecord;
    RecordId left = NoRecord;
    RecordId right = NoRecord;
    std::uint8_t flags = 0;
};

// The colours of the nodes of an ordered index, kept per chain. A chain is a
// maximal downward path of the tree along which every node but the last has
// exactly one child; every node belongs to exactly one chain. Chains grow long
// where keys arrive in order, and the tree's repairs recolour or search long
// stretches of them, so each chain keeps its nodes in a splay tree ordered
// from top to bottom, with a pending flip and a summary per subtree. That
// turns "flip this stretch", "the deepest two blacks in a row above here" and
// "the deepest red above here" into O(log n) amortised operations.
//
// The set knows nothing of the tree: the index says where chains are joined
// and cut. Invariants: the in-order sequence of each splay tree is one chain,
// top first. Each node carries a flip bit; a node's true colour is its stored
// colour flipped by the flip bits of the node and of all its splay ancestors,
// and its stored summary describes its splay subtree in the same relative
// way. So flipping a whole splay tree toggles one bit, and splaying needs no
// pass that pushes pending flips down first.
//
// The set holds the chain links of every node number below its size; an
// index that never walks a long chain never makes one.
class ChainSet {
public:
    // Whether the links exist, and room for nodes numbered below count (may
    // throw std::bad_alloc).
    bool isMade() const { return !links_.empty(); }
    void makeRoom(std::size_t count);
    bool hasRoomFor(RecordId node) const { return node < links_.size(); }
    void clear() { std::vector<ChainLinks>().swap(links_); }
    // Renumbers every link from n to numberOf(n), a permutation (see
    // renumberNodes).
    template <typename NumberOf, typename PrefetchNumberOf>
    void renumber(NumberOf numberOf, PrefetchNumberOf prefetchNumberOf);

    // Makes a node a chain of its own with a colour.
    void makeSingle(RecordId node, Colour colour);
    // The colour of a node; splays it to the root of its splay tree, which
    // pays for the way there.
    Colour colour(RecordId node);
    void setColour(RecordId node, Colour colour);

    // Appends the chain that begins with first to the chain that ends with
    // last; nothing when first already follows last.
    void join(RecordId last, RecordId first);
    // Cuts the chain of node just above it; a node that begins its chain is
    // left as it is.
    void cutAbove(RecordId node);

    // Flips the colours of the stretch from top down to bottom, both in one
    // chain with top not below bottom.
    void flip(RecordId top, RecordId bottom);
    // The lower node of the deepest pair of black nodes next to each other
    // among the nodes of node's chain from its first node down to node, or
    // NoRecord.
    RecordId deepestBlackPairTo(RecordId node);
    // The deepest red node above node in its chain, or NoRecord.
    RecordId deepestRedAbove(RecordId node);
    // The first node of node's chain.
    RecordId first(RecordId node);
    // The node after node in its chain, or NoRecord.
    RecordId next(RecordId node);

    // For checks, without splaying (each costs the chain's length and
    // node's depth in its splay tree): visit(member, colour) for every node
    // of node's chain, top first; the chain; and whether every summary and
    // up link of its splay tree is right.
    template <typename Visit>
    void forEachInChain(RecordId node, Visit visit) const;
    std::vector<RecordId> chainOf(RecordId node) const;
    bool summariesHold(RecordId node) const;

    // Splay steps taken so far: the work measure of the set.
    std::uint64_t steps() const { return steps_; }

private:
    enum Flag : std::uint8_t {
        OwnBlack = 1 << 0,
        FlipBit = 1 << 1,
        FirstBlack = 1 << 2,
        LastBlack = 1 << 3,
        HasBlackPair = 1 << 4,
        HasRedPair = 1 << 5,
        HasRed = 1 << 6,
        HasBlack = 1 << 7,
    };
    using Node = ChainLinks;

    static constexpr std::uint8_t SummaryBits =
        OwnBlack | FirstBlack | LastBlack | HasBlackPair | HasRedPair | HasRed | HasBlack;

    // The summary bits of flags, flipped when flip is set.
    static std::uint8_t flippedIf(std::uint8_t flags, bool flip);
    Node& at(RecordId node) { return links_[node]; }
    const Node& at(RecordId node) const { return links_[node]; }
    bool flipBit(RecordId node) const { return (at(node).flags & FlipBit) != 0; }
    void setFlipBit(RecordId node, bool flip);
    // The summary of a child, relative to its parent.
    std::uint8_t childSummary(RecordId child) const;
    // A node's flags with the summary recomputed from its own colour and its
    // children's summaries; pull stores them.
    std::uint8_t summaryOf(RecordId node) const;
    void pull(RecordId node) { at(node).flags = summaryOf(node); }
    RecordId splayRootOf(RecordId node) const;
    void rotateUp(RecordId node);
    void splay(RecordId node);
    // Detaches the left or right subtree of a splay root as a tree of its
    // own, or attaches a tree there; the flip bits keep every true colour.
    RecordId detach(RecordId root, bool left);
    void attach(RecordId root, RecordId subtree, bool left);
    // The first node of node's subtree, splayed to the root of its tree.
    RecordId leftmost(RecordId node);

    std::vector<ChainLinks> links_;
    std::uint64_t steps_ = 0;
};

template <typename Visit>
void ChainSet::forEachInChain(RecordId node, Visit visit) const {
    // In-order, each node's accumulated flip carried down with it.
    std::vector<std::pair<RecordId, bool>> pending;
    RecordId cursor = splayRootOf(node);
    bool flip = flipBit(cursor);
    while (cursor != NoRecord || !pending.empty()) {
        if (cursor != NoRecord) {
            pending.emplace_back(cursor, flip);
            cursor = at(cursor).left;
            flip = cursor != NoRecord && flip != flipBit(cursor);
            continue;
        }
        std::tie(cursor, flip) = pending.back();
        pending.pop_back();
        const bool black = ((at(cursor).flags & OwnBlack) != 0) != flip;
        visit(cursor, black ? Colour::Black : Colour::Red);
        const RecordId right = at(cursor).right;
        flip = right != NoRecord && flip != flipBit(right);
        cursor = right;
    }
}

template <typename NumberOf, typename PrefetchNumberOf>
void ChainSet::renumber(NumberOf numberOf, PrefetchNumberOf prefetchNumberOf) {
    renumberNodes(links_, numberOf, prefetchNumberOf, &ChainLinks::up, &ChainLinks::left, &ChainLinks::right);
}

}  // namespace recdb
