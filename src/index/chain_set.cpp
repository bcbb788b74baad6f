#include "index/chain_set.hpp"

#include <cassert>
#include <utility>

namespace recdb {

void ChainSet::makeRoom(std::size_t count) {
    if (links_.size() < count) {
        links_.resize(count);
    }
}

std::uint8_t ChainSet::flippedIf(std::uint8_t flags, bool flip) {
    flags &= SummaryBits;
    if (!flip) {
        return flags;
    }
    std::uint8_t result = flags ^ (OwnBlack | FirstBlack | LastBlack);
    result &= static_cast<std::uint8_t>(~(HasBlackPair | HasRedPair | HasRed | HasBlack));
    result |= (flags & HasBlackPair) != 0 ? HasRedPair : 0;
    result |= (flags & HasRedPair) != 0 ? HasBlackPair : 0;
    result |= (flags & HasRed) != 0 ? HasBlack : 0;
    result |= (flags & HasBlack) != 0 ? HasRed : 0;
    return result;
}

void ChainSet::setFlipBit(RecordId node, bool flip) {
    Node& n = at(node);
    n.flags = static_cast<std::uint8_t>(flip ? n.flags | FlipBit : n.flags & ~FlipBit);
}

std::uint8_t ChainSet::childSummary(RecordId child) const { return flippedIf(at(child).flags, flipBit(child)); }

// A node's summary from its own colour and its children's summaries, all
// relative to the node's accumulated flip.
std::uint8_t ChainSet::summaryOf(RecordId node) const {
    const Node& n = at(node);
    const bool ownBlack = (n.flags & OwnBlack) != 0;
    bool firstBlack = ownBlack;
    bool lastBlack = ownBlack;
    bool blackPair = false;
    bool redPair = false;
    bool hasRed = !ownBlack;
    bool hasBlack = ownBlack;
    if (n.left != NoRecord) {
        const std::uint8_t left = childSummary(n.left);
        const bool leftLast = (left & LastBlack) != 0;
        firstBlack = (left & FirstBlack) != 0;
        blackPair = (left & HasBlackPair) != 0 || (leftLast && ownBlack);
        redPair = (left & HasRedPair) != 0 || (!leftLast && !ownBlack);
        hasRed = hasRed || (left & HasRed) != 0;
        hasBlack = hasBlack || (left & HasBlack) != 0;
    }
    if (n.right != NoRecord) {
        const std::uint8_t right = childSummary(n.right);
        const bool rightFirst = (right & FirstBlack) != 0;
        lastBlack = (right & LastBlack) != 0;
        blackPair = blackPair || (right & HasBlackPair) != 0 || (rightFirst && ownBlack);
        redPair = redPair || (right & HasRedPair) != 0 || (!rightFirst && !ownBlack);
        hasRed = hasRed || (right & HasRed) != 0;
        hasBlack = hasBlack || (right & HasBlack) != 0;
    }
    std::uint8_t flags = n.flags & (OwnBlack | FlipBit);
    flags |= firstBlack ? FirstBlack : 0;
    flags |= lastBlack ? LastBlack : 0;
    flags |= blackPair ? HasBlackPair : 0;
    flags |= redPair ? HasRedPair : 0;
    flags |= hasRed ? HasRed : 0;
    flags |= hasBlack ? HasBlack : 0;
    return flags;
}

RecordId ChainSet::splayRootOf(RecordId node) const {
    while (at(node).up != NoRecord) {
        node = at(node).up;
    }
    return node;
}

// Rotates node above its parent. Every node's true colour stays: the node
// takes over the flip that its parent had, the parent keeps only what lay
// between them, and the subtree that changes parent is compensated.
void ChainSet::rotateUp(RecordId node) {
    ++steps_;
    const RecordId parent = at(node).up;
    const RecordId grand = at(parent).up;
    const bool nodeFlip = flipBit(node);
    const bool parentFlip = flipBit(parent);
    RecordId moved = NoRecord;
    if (at(parent).left == node) {
        moved = at(node).right;
        at(parent).left = moved;
        at(node).right = parent;
    } else {
        moved = at(node).left;
        at(parent).right = moved;
        at(node).left = parent;
    }
    if (moved != NoRecord) {
        at(moved).up = parent;
        setFlipBit(moved, flipBit(moved) != nodeFlip);
    }
    at(parent).up = node;
    at(node).up = grand;
    if (grand != NoRecord) {
        (at(grand).left == parent ? at(grand).left : at(grand).right) = node;
    }
    setFlipBit(node, nodeFlip != parentFlip);
    setFlipBit(parent, nodeFlip);
    pull(parent);
    pull(node);
}

void ChainSet::splay(RecordId node) {
    for (;;) {
        const RecordId parent = at(node).up;
        if (parent == NoRecord) {
            return;
        }
        const RecordId grand = at(parent).up;
        if (grand != NoRecord) {
            const bool zigZig = (at(grand).left == parent) == (at(parent).left == node);
            rotateUp(zigZig ? parent : node);
        }
        rotateUp(node);
    }
}

RecordId ChainSet::detach(RecordId root, bool left) {
    RecordId& link = left ? at(root).left : at(root).right;
    const RecordId child = link;
    if (child != NoRecord) {
        link = NoRecord;
        at(child).up = NoRecord;
        setFlipBit(child, flipBit(child) != flipBit(root));
        pull(root);
    }
    return child;
}

void ChainSet::attach(RecordId root, RecordId subtree, bool left) {
    RecordId& link = left ? at(root).left : at(root).right;
    assert(link == NoRecord && at(root).up == NoRecord);
    if (subtree != NoRecord) {
        link = subtree;
        at(subtree).up = root;
        setFlipBit(subtree, flipBit(subtree) != flipBit(root));
        pull(root);
    }
}

RecordId ChainSet::leftmost(RecordId node) {
    while (at(node).left != NoRecord) {
        ++steps_;
        node = at(node).left;
    }
    splay(node);
    return node;
}

void ChainSet::makeSingle(RecordId node, Colour colour) {
    at(node) = Node{};
    at(node).flags = colour == Colour::Black ? OwnBlack : 0;
    pull(node);
}

Colour ChainSet::colour(RecordId node) {
    splay(node);
    const bool black = ((at(node).flags & OwnBlack) != 0) != flipBit(node);
    return black ? Colour::Black : Colour::Red;
}

void ChainSet::setColour(RecordId node, Colour colour) {
    splay(node);
    const bool storedBlack = (colour == Colour::Black) != flipBit(node);
    Node& n = at(node);
    n.flags = static_cast<std::uint8_t>(storedBlack ? n.flags | OwnBlack : n.flags & ~OwnBlack);
    pull(node);
}

void ChainSet::join(RecordId last, RecordId first) {
    splay(first);
    if (at(first).left != NoRecord) {
        return;
    }
    splay(last);
    attach(last, first, false);
}

void ChainSet::cutAbove(RecordId node) {
    splay(node);
    detach(node, true);
}

void ChainSet::flip(RecordId top, RecordId bottom) {
    splay(top);
    const RecordId above = detach(top, true);
    splay(bottom);
    const RecordId below = detach(bottom, false);
    // bottom is now the root of exactly the stretch top..bottom.
    setFlipBit(bottom, !flipBit(bottom));
    attach(bottom, below, false);
    splay(top);
    attach(top, above, true);
}

RecordId ChainSet::deepestBlackPairTo(RecordId node) {
    splay(node);
    const RecordId above = at(node).left;
    if (above == NoRecord) {
        return NoRecord;
    }
    const bool nodeFlip = flipBit(node);
    const bool nodeBlack = ((at(node).flags & OwnBlack) != 0) != nodeFlip;
    const std::uint8_t aboveSummary = flippedIf(childSummary(above), nodeFlip);
    if (nodeBlack && (aboveSummary & LastBlack) != 0) {
        return node;
    }
    if ((aboveSummary & HasBlackPair) == 0) {
        return NoRecord;
    }
    // Descend to the deepest pair, keeping the accumulated flip of each node.
    RecordId cursor = above;
    bool flip = nodeFlip != flipBit(above);
    for (;;) {
        ++steps_;
        const Node& n = at(cursor);
        const bool atBlack = ((n.flags & OwnBlack) != 0) != flip;
        if (n.right != NoRecord) {
            const bool rightFlip = flip != flipBit(n.right);
            const std::uint8_t right = flippedIf(at(n.right).flags, rightFlip);
            if ((right & HasBlackPair) != 0) {
                cursor = n.right;
                flip = rightFlip;
                continue;
            }
            if (atBlack && (right & FirstBlack) != 0) {
                return leftmost(n.right);
            }
        }
        assert(n.left != NoRecord);
        const bool leftFlip = flip != flipBit(n.left);
        const std::uint8_t left = flippedIf(at(n.left).flags, leftFlip);
        if (atBlack && (left & LastBlack) != 0) {
            splay(cursor);
            return cursor;
        }
        cursor = n.left;
        flip = leftFlip;
    }
}

RecordId ChainSet::deepestRedAbove(RecordId node) {
    splay(node);
    const RecordId above = at(node).left;
    if (above == NoRecord) {
        return NoRecord;
    }
    bool flip = flipBit(node) != flipBit(above);
    if ((flippedIf(at(above).flags, flip) & HasRed) == 0) {
        return NoRecord;
    }
    RecordId cursor = above;
    for (;;) {
        ++steps_;
        const Node& n = at(cursor);
        if (n.right != NoRecord) {
            const bool rightFlip = flip != flipBit(n.right);
            if ((flippedIf(at(n.right).flags, rightFlip) & HasRed) != 0) {
                cursor = n.right;
                flip = rightFlip;
                continue;
            }
        }
        if (((n.flags & OwnBlack) != 0) == flip) {
            splay(cursor);
            return cursor;
        }
        assert(n.left != NoRecord);
        flip = flip != flipBit(n.left);
        cursor = n.left;
    }
}

RecordId ChainSet::first(RecordId node) {
    splay(node);
    return leftmost(node);
}

RecordId ChainSet::next(RecordId node) {
    splay(node);
    const RecordId right = at(node).right;
    return right == NoRecord ? NoRecord : leftmost(right);
}

std::vector<RecordId> ChainSet::chainOf(RecordId node) const {
    std::vector<RecordId> chain;
    forEachInChain(node, [&chain](RecordId member, Colour) { chain.push_back(member); });
    return chain;
}

bool ChainSet::summariesHold(RecordId node) const {
    // Every node's summary, recomputed from its children's stored ones, must
    // be its stored one, and every child must point back to its parent.
    std::vector<RecordId> pending{splayRootOf(node)};
    while (!pending.empty()) {
        const RecordId cursor = pending.back();
        pending.pop_back();
        const Node& n = at(cursor);
        for (const RecordId child : {n.left, n.right}) {
            if (child != NoRecord) {
                if (at(child).up != cursor) {
                    return false;
                }
                pending.push_back(child);
            }
        }
        if (summaryOf(cursor) != n.flags) {
            return false;
        }
    }
    return true;
}

}  // namespace recdb
