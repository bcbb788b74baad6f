#include "index/repairs.hpp"

namespace recdb {

void Repairs::insert(RecordId node, RecordId predecessor, RecordId successor) {
    if (nodes_.root() == NoRecord) {
        nodes_.plantRoot(node);
        colours_.paint(node, Colour::Black);
        return;
    }
    nodes_.attachBetween(node, predecessor, successor, colours_);
    afterInsert(node);
}

// x is red: the new node, or a grandparent just made red; p its parent, g
// its grandparent.
void Repairs::afterInsert(RecordId x) {
    ColourStore::PlainWalk walk;
    for (;;) {
        ++steps_;
        const RecordId p = nodes_.parent(x);
        // Case 1: x is the root (painted black), or p is black.
        if (p == NoRecord) {
            colours_.paint(x, Colour::Black);
            return;
        }
        if (colours_.colour(p) == Colour::Black) {
            return;
        }
        const RecordId g = nodes_.parent(p);
        if (g == NoRecord) {
            // A red root does not arise; end the repair rather than rely on it.
            colours_.paint(p, Colour::Black);
            return;
        }
        if (nodes_.onlyChild(g) == p) {
            // Case 3: no uncle, which counts as red. Managed: the climb
            // inside p's chain in one stretch; plain: one step.
            if (colours_.crossesChain(p, walk)) {
                x = colours_.climbChain(p);
                continue;
            }
            colours_.paint(p, Colour::Black);
            colours_.paint(g, Colour::Red);
            x = g;
            continue;
        }
        const RecordId uncle = nodes_.sibling(p);
        // Case 4: a black uncle.
        if (colours_.colour(uncle) == Colour::Black) {
            restructure(x, p, g);
            return;
        }
        // Case 2: a red uncle.
        colours_.paint(p, Colour::Black);
        colours_.paint(uncle, Colour::Black);
        colours_.paint(g, Colour::Red);
        x = g;
    }
}

// Case 4 of the insert repair, its four forms: one or two rotations bring
// the middle of x, p and g up; it turns black and g red.
void Repairs::restructure(RecordId x, RecordId p, RecordId g) {
    RecordId middle = p;
    if (nodes_.left(g) == p) {
        if (nodes_.right(p) == x) {
            nodes_.rotate(p, true, colours_);
            middle = x;
        }
        nodes_.rotate(g, false, colours_);
    } else {
        if (nodes_.left(p) == x) {
            nodes_.rotate(p, false, colours_);
            middle = x;
        }
        nodes_.rotate(g, true, colours_);
    }
    colours_.paint(middle, Colour::Black);
    colours_.paint(g, Colour::Red);
}

// The node taken out is the node itself when it has no left child (its right
// child, if any, takes its place and keeps its colour), else its predecessor,
// which takes the node's place and colour. The colour of the node taken out
// passes to its parent (or, where that was the removed node, to the
// predecessor in its place).
void Repairs::remove(RecordId node, RecordId predecessor) {
    if (predecessor == NoRecord) {
        const RecordId child = nodes_.right(node);
        const Colour taken = colours_.colour(node);
        const RecordId parent = nodes_.spliceOut(node, colours_);
        if (parent == NoRecord) {
            if (child != NoRecord) {
                colours_.paint(child, Colour::Black);
            }
            return;
        }
        if (taken == Colour::Black) {
            passColourUp(parent);
        }
        return;
    }
    const Colour taken = colours_.colour(predecessor);
    const RecordId receiver = nodes_.replaceByPredecessor(node, predecessor, colours_);
    if (taken == Colour::Black) {
        passColourUp(receiver);
    }
}

// A black node was taken out below parent: a red parent becomes black, a
// black one double black, which the remove repair resolves.
void Repairs::passColourUp(RecordId parent) {
    if (!takesExtraBlack(parent)) {
        afterRemove(parent);
    }
}

// A red node takes an extra black by turning black; tells whether it did.
bool Repairs::takesExtraBlack(RecordId node) {
    if (colours_.colour(node) != Colour::Red) {
        return false;
    }
    colours_.paint(node, Colour::Black);
    return true;
}

// x is double black; its stored colour is black throughout, since every way
// out of the repair leaves it black. p is its parent.
void Repairs::afterRemove(RecordId x) {
    ColourStore::PlainWalk walk;
    for (;;) {
        ++steps_;
        const RecordId p = nodes_.parent(x);
        // Case 1: x is the root; the extra black is dropped.
        if (p == NoRecord) {
            return;
        }
        const bool xIsLeft = nodes_.left(p) == x;
        const RecordId sibling = nodes_.sibling(x);
        // Case 2: no sibling.
        if (sibling == NoRecord) {
            x = pushUp(x, walk);
            if (x == NoRecord) {
                return;
            }
            continue;
        }
        // Case 3: a red sibling: rotate it up; x then has a black sibling.
        if (colours_.colour(sibling) == Colour::Red) {
            nodes_.rotate(p, xIsLeft, colours_);
            colours_.paint(sibling, Colour::Black);
            colours_.paint(p, Colour::Red);
            continue;
        }
        // Cases 4 and 5: a red child of the black sibling.
        if (rotateRedNephewUp(p, sibling, xIsLeft)) {
            return;
        }
        // Case 6: the sibling turns red and p takes the extra black.
        colours_.paint(sibling, Colour::Red);
        if (takesExtraBlack(p)) {
            return;
        }
        x = p;
    }
}

// Case 2 of the remove repair: x has no sibling, so it is its parent's only
// child, the two in one chain. Every black node on the way up passes the
// double black on and stays black; the first red one ends it by turning
// black. Along a managed chain the deepest red above x is found at once, and
// past the chain's top the double black goes on from there. Returns where it
// goes on, or NoRecord when it has ended.
RecordId Repairs::pushUp(RecordId x, ColourStore::PlainWalk& walk) {
    if (colours_.crossesChain(x, walk)) {
        const RecordId red = colours_.deepestRedAbove(x);
        if (red != NoRecord) {
            colours_.paint(red, Colour::Black);
            return NoRecord;
        }
        return colours_.chainTop(x);
    }
    const RecordId p = nodes_.parent(x);
    return takesExtraBlack(p) ? NoRecord : p;
}

// Cases 4 and 5 of the remove repair, with x double black under p and a
// black sibling: when the sibling's far child is red, the far rotation ends
// the repair (case 4); when only its near child is red, a near rotation comes
// first (case 5). False when both children are black.
bool Repairs::rotateRedNephewUp(RecordId p, RecordId sibling, bool xIsLeft) {
    const RecordId nearChild = xIsLeft ? nodes_.left(sibling) : nodes_.right(sibling);
    RecordId farChild = xIsLeft ? nodes_.right(sibling) : nodes_.left(sibling);
    const bool farIsRed = farChild != NoRecord && colours_.colour(farChild) == Colour::Red;
    const bool nearIsRed = nearChild != NoRecord && colours_.colour(nearChild) == Colour::Red;
    if (!farIsRed && !nearIsRed) {
        return false;
    }
    if (!farIsRed) {
        // Case 5: the near child takes the sibling's place and the old
        // sibling becomes its red far child.
        nodes_.rotate(sibling, !xIsLeft, colours_);
        colours_.paint(nearChild, Colour::Black);
        colours_.paint(sibling, Colour::Red);
        farChild = sibling;
        sibling = nearChild;
    }
    const Colour parentColour = colours_.colour(p);
    nodes_.rotate(p, xIsLeft, colours_);
    colours_.paint(sibling, parentColour);
    colours_.paint(p, Colour::Black);
    colours_.paint(farChild, Colour::Black);
    return true;
}

}  // namespace recdb
