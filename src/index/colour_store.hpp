#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "index/chain_set.hpp"
#include "index/node_store.hpp"

namespace recdb {

// The colours of an ordered index's nodes, and the only code that changes
// them. A node keeps its colour in its word's plain bits until its chain (a
// maximal downward path of single children) is handed to the chain set, which
// keeps the colours of long chains so that a repair crosses a whole chain in
// one step. A chain stays plain, costing nothing, until a repair walks more
// than plainWalkLimit steps along plain chains; it is then managed as a
// whole, and nothing makes it plain again. The chain set's memory is taken at
// the first need; when it cannot be had, repairs walk on plainly, which
// changes the cost and never the result.
//
// It follows the tree's links as the node store's observer: told of every
// chain link that goes or comes, it keeps managed chains whole in the chain
// set.
class ColourStore {
public:
    ColourStore(NodeStore& nodes, unsigned plainWalkLimit) : nodes_(nodes), plainWalkLimit_(plainWalkLimit) {}

    // A managed node's colour is read through the chain set, which splays.
    Colour colour(RecordId node) {
        if (managed(node)) {
            return chains_.colour(node);
        }
        return plainColour(node);
    }
    void paint(RecordId node, Colour colour) {
        if (managed(node)) {
            chains_.setColour(node, colour);
            return;
        }
        nodes_.word(node).setColourBit(PlainBlack, colour == Colour::Black);
    }

    // The node store's observer. Until the chain set exists no chain is
    // managed, and it follows no links.
    bool followsChains() const { return chains_.isMade(); }
    void cutChainLink(RecordId lower) {
        if (managed(lower)) {
            chains_.cutAbove(lower);
        }
    }
    void joinChainLink(RecordId upper, RecordId lower) {
        if (managed(upper) || managed(lower)) {
            joinManaged(upper, lower);
        }
    }
    void takePlace(RecordId from, RecordId to) { paint(to, colour(from)); }

    // The steps a repair has walked along plain chains.
    class PlainWalk {
        friend class ColourStore;
        unsigned steps_ = 0;
    };
    // Whether a repair at node crosses node's chain in one step: true when
    // the chain is managed, or is handed over now because the repair's walk
    // along plain chains has grown too long.
    bool crossesChain(RecordId node, PlainWalk& walk) {
        if (managed(node)) {
            return true;
        }
        return ++walk.steps_ > plainWalkLimit_ && handOverChainOf(node);
    }
    // The insert repair's climb of a managed chain from its red node p, whose
    // parent has no other child: flips the alternating stretch that ends at
    // p in one step, up to below the deepest pair of blacks above p or to the
    // chain's top, and returns the stretch's top, now red.
    RecordId climbChain(RecordId p);
    // The deepest red node above node in its managed chain, or NoRecord; and
    // the chain's first node.
    RecordId deepestRedAbove(RecordId node) { return chains_.deepestRedAbove(node); }
    RecordId chainTop(RecordId node) { return chains_.first(node); }

    // Room for every node of the node store (may throw std::bad_alloc), and
    // whether there is room for a node.
    void makeRoom() {
        if (chains_.isMade()) {
            chains_.makeRoom(nodes_.size());
        }
    }
    bool hasRoomFor(RecordId node) const { return !chains_.isMade() || chains_.hasRoomFor(node); }
    void clear() { chains_.clear(); }
    // Renumbers the chain set with the node store (see renumberNodes).
    template <typename NumberOf, typename PrefetchNumberOf>
    void renumber(NumberOf numberOf, PrefetchNumberOf prefetchNumberOf) {
        chains_.renumber(numberOf, prefetchNumberOf);
    }

    // Splay steps taken so far.
    std::uint64_t chainSteps() const { return chains_.steps(); }

    // For checks, without changing anything: the colour of every node of the
    // tree, by node number, in one walk; and whether the chain that starts at
    // top is managed as a whole or not at all and, when managed, the chain
    // set holds exactly it with right summaries.
    std::vector<Colour> coloursOfTree() const;
    bool chainHolds(RecordId top, std::string& why) const;

private:
    static constexpr std::uint32_t PlainBlack = 1;
    static constexpr std::uint32_t Managed = 2;

    bool managed(RecordId node) const { return nodes_.word(node).hasColourBit(Managed); }
    Colour plainColour(RecordId node) const {
        return nodes_.word(node).hasColourBit(PlainBlack) ? Colour::Black : Colour::Red;
    }
    void joinManaged(RecordId upper, RecordId lower);
    bool handOverChainOf(RecordId node);
    bool makeChains();
    void manage(RecordId node);
    void manageDown(RecordId top);
    void manageUp(RecordId bottom);
    void manageChainOf(RecordId node);

    NodeStore& nodes_;
    ChainSet chains_;
    unsigned plainWalkLimit_;
};

}  // namespace recdb
