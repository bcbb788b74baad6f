#include "index/colour_store.hpp"

#include <cassert>
#include <new>

namespace recdb {

bool ColourStore::makeChains() {
    if (chains_.isMade()) {
        return true;
    }
    try {
        chains_.makeRoom(nodes_.size());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Hands one node's colour to the chain set, as a chain of its own.
void ColourStore::manage(RecordId node) {
    chains_.makeSingle(node, plainColour(node));
    nodes_.word(node).setColourBit(Managed, true);
}

// Hands the plain chain that begins at top to the chain set, down to its end
// or to a managed node, whose link to it is about to be joined.
void ColourStore::manageDown(RecordId top) {
    manage(top);
    for (RecordId node = top;;) {
        const RecordId child = nodes_.onlyChild(node);
        if (child == NoRecord || managed(child)) {
            return;
        }
        manage(child);
        chains_.join(node, child);
        node = child;
    }
}

// The same upwards from the plain chain's last node.
void ColourStore::manageUp(RecordId bottom) {
    manage(bottom);
    for (RecordId node = bottom;;) {
        if (!nodes_.isOnlyChild(node) || managed(nodes_.parent(node))) {
            return;
        }
        const RecordId parent = nodes_.parent(node);
        manage(parent);
        chains_.join(parent, node);
        node = parent;
    }
}

void ColourStore::manageChainOf(RecordId node) {
    RecordId top = node;
    while (nodes_.isOnlyChild(top)) {
        top = nodes_.parent(top);
    }
    manageDown(top);
}

// A chain is managed as a whole or not at all: joining a managed chain to a
// plain one hands the plain one to the chain set first.
void ColourStore::joinManaged(RecordId upper, RecordId lower) {
    if (!managed(upper)) {
        manageUp(upper);
    }
    if (!managed(lower)) {
        manageDown(lower);
    }
    chains_.join(upper, lower);
}

// Hands node's chain to the chain set, if its memory can be had.
bool ColourStore::handOverChainOf(RecordId node) {
    if (!makeChains()) {
        return false;
    }
    manageChainOf(node);
    return true;
}

// Each step of the repair at a red node with a red parent p, whose parent has
// no other child, makes p black and its parent red and moves two nodes up;
// within p's chain that continues while the colours alternate, so the whole
// climb inside the chain flips one alternating stretch that ends at p. It
// stops below the deepest pair of blacks above p, or at the chain's top (the
// stretch has even length: it starts black and ends at the red p).
RecordId ColourStore::climbChain(RecordId p) {
    RecordId top = chains_.deepestBlackPairTo(p);
    if (top == NoRecord) {
        top = chains_.first(p);
        if (chains_.colour(top) == Colour::Red) {
            top = chains_.next(top);
        }
    }
    assert(top != p && chains_.colour(top) == Colour::Black && managed(top));
    chains_.flip(top, p);
    return top;
}

std::vector<Colour> ColourStore::coloursOfTree() const {
    std::vector<Colour> colours(nodes_.size(), Colour::Red);
    for (const RecordId node : nodes_.inOrder()) {
        if (!managed(node)) {
            colours[node] = plainColour(node);
        } else if (!nodes_.isOnlyChild(node)) {
            // The top of a managed chain: the chain set gives all its colours.
            chains_.forEachInChain(node, [&colours](RecordId member, Colour colour) { colours[member] = colour; });
        }
    }
    return colours;
}

bool ColourStore::chainHolds(RecordId top, std::string& why) const {
    const bool chainManaged = managed(top);
    for (RecordId member = top; member != NoRecord; member = nodes_.onlyChild(member)) {
        if (managed(member) != chainManaged) {
            why = "a chain is managed in part at node " + std::to_string(top);
            return false;
        }
    }
    if (!chainManaged) {
        return true;
    }
    RecordId expected = top;
    for (const RecordId member : chains_.chainOf(top)) {
        if (member != expected) {
            why = "a chain differs from the tree's single-child path at node " + std::to_string(top);
            return false;
        }
        expected = nodes_.onlyChild(member);
    }
    if (expected != NoRecord) {
        why = "a chain ends before its path does at node " + std::to_string(top);
        return false;
    }
    if (!chains_.summariesHold(top)) {
        why = "a chain's summaries are wrong at node " + std::to_string(top);
        return false;
    }
    return true;
}

}  // namespace recdb
