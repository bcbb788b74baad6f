#include "store/ordered_index.hpp"

namespace recdb {

void OrderedIndex::insert(RecordNode* record, const Place* place) {
    IndexNode* node = nodes_.allocate();
    node->record = record;
    node->key = indexKeyOf(record->record);
    record->*handle_ = node;
    if (root_ == nullptr) {
        node->colour = 1;
        root_ = leftmost_ = rightmost_ = node;
        return;
    }
    const Place at = place != nullptr ? *place : locate({node->key, record->record});
    const bool atRightEnd = at.right && at.parent == rightmost_;
    const bool atLeftEnd = !at.right && at.parent == leftmost_;
    attach(node, at.parent, at.right);
    if (atRightEnd || atLeftEnd) {
        appendToSpine(node, atRightEnd);
        return;
    }
    settleColours();
    repairInsert(node);
}

// A descent from the root moves right where the new record compares above a
// node, that is where the node compares below it, and left otherwise.
OrderedIndex::Place OrderedIndex::locate(const Probe& probe) const {
    if (compareNode(rightmost_, probe) < 0) {
        return {rightmost_, true};
    }
    if (compareNode(leftmost_, probe) >= 0) {
        return {leftmost_, false};
    }
    IndexNode* parent = root_;
    for (;;) {
        const bool toRight = compareNode(parent, probe) < 0;
        IndexNode* child = toRight ? parent->right : parent->left;
        if (child == nullptr) {
            return {parent, toRight};
        }
        parent = child;
    }
}

const IndexNode* OrderedIndex::root() const {
    settleColours();
    return root_;
}

void OrderedIndex::settleColours() const {
    for (SpineChain& spine : spines_) {
        spine.settle();
    }
}

// The node was just attached red as the new end of a spine. The repair climbs
// the spine's run while the parent is red: each step makes the parent black
// and the grandparent red (the grandparent has no inner child, so the uncle is
// missing) and moves two nodes up. Inside the run that recolours every node,
// done by flipping the implied colours; only the last step or two, at the
// run's top, meet real nodes again.
void OrderedIndex::appendToSpine(IndexNode* node, bool rightSpine) {
    SpineChain& spine = spines_[rightSpine ? 1 : 0];
    SpineChain& otherSpine = spines_[rightSpine ? 0 : 1];
    if (spine.isEmpty() || spine.bottom() != node->parent) {
        spine.settle();
        repairBeside(node, otherSpine);
        spine.startWith(node);
        spine.refitTop(0);
        return;
    }
    if (!spine.bottomRed()) {
        // A black parent ends the repair at once.
        spine.appendRed(node);
        return;
    }
    const std::size_t oldSize = spine.size();
    spine.appendRed(node);
    // The climb inside the run stops at position oldSize % 2. There the
    // repair goes on with real colours: give the run's top two nodes the
    // colours they have at that moment (the top one is still untouched when
    // the climb stops at position 1), and run the ordinary repair.
    const std::size_t stop = oldSize % 2;
    spine.at(0)->colour = stop == 1 ? 0 : spine.colourAt(0);
    spine.at(1)->colour = spine.colourAt(1);
    repairBeside(spine.at(stop), otherSpine);
    spine.refitTop(2);
}

// The ordinary repair, climbing one spine, can reach the root, whose child on
// the other side may be the top of the other spine's run: that one node gets
// its colour written first and is checked afterwards.
void OrderedIndex::repairBeside(IndexNode* node, SpineChain& otherSpine) {
    if (!otherSpine.isEmpty()) {
        otherSpine.at(0)->colour = otherSpine.colourAt(0);
    }
    repairInsert(node);
    otherSpine.refitTop(1);
}

void OrderedIndex::attach(IndexNode* node, IndexNode* parent, bool asRight) {
    node->parent = parent;
    node->colour = 0;
    if (asRight) {
        parent->right = node;
        if (parent == rightmost_) {
            rightmost_ = node;
        }
    } else {
        parent->left = node;
        if (parent == leftmost_) {
            leftmost_ = node;
        }
    }
}

RecordNode* OrderedIndex::find(const Record& key, Place* place) const {
    if (root_ == nullptr) {
        return nullptr;
    }
    const Probe probe = probeOf(key);
    const bool aboveAll = compareNode(rightmost_, probe) < 0;
    if (aboveAll || compareNode(leftmost_, probe) > 0) {
        // Beyond either end the record is attached below that end.
        if (place != nullptr) {
            *place = aboveAll ? Place{rightmost_, true} : Place{leftmost_, false};
        }
        return nullptr;
    }
    // Without an equal node, a search ends where an insertion's descent
    // ends: the two turn the same way at every node on the path.
    IndexNode* node = root_;
    for (;;) {
        const int c = compareNode(node, probe);
        if (c == 0) {
            return node->record;
        }
        IndexNode* child = c > 0 ? node->left : node->right;
        if (child == nullptr) {
            if (place != nullptr) {
                *place = {node, c < 0};
            }
            return nullptr;
        }
        node = child;
    }
}

void OrderedIndex::replaceChild(IndexNode* parent, IndexNode* oldChild, IndexNode* newChild) {
    if (parent == nullptr) {
        root_ = newChild;
    } else if (parent->left == oldChild) {
        parent->left = newChild;
    } else {
        parent->right = newChild;
    }
    if (newChild != nullptr) {
        newChild->parent = parent;
    }
}

void OrderedIndex::rotateLeft(IndexNode* node) {
    IndexNode* up = node->right;
    node->right = up->left;
    if (up->left != nullptr) {
        up->left->parent = node;
    }
    replaceChild(node->parent, node, up);
    up->left = node;
    node->parent = up;
}

void OrderedIndex::rotateRight(IndexNode* node) {
    IndexNode* up = node->left;
    node->left = up->right;
    if (up->right != nullptr) {
        up->right->parent = node;
    }
    replaceChild(node->parent, node, up);
    up->right = node;
    node->parent = up;
}

void OrderedIndex::rotateToward(IndexNode* node, bool leftSide) {
    if (leftSide) {
        rotateLeft(node);
    } else {
        rotateRight(node);
    }
}

void OrderedIndex::repairInsert(IndexNode* x) {
    for (;;) {
        IndexNode* p = x->parent;
        if (p == nullptr) {
            x->colour = 1;
            return;
        }
        if (x->colour == 1 || p->colour == 1) {
            return;
        }
        IndexNode* g = p->parent;
        if (g == nullptr) {
            // A red root does not arise; end the repair rather than rely on it.
            p->colour = 1;
            return;
        }
        IndexNode* uncle = g->left == p ? g->right : g->left;
        if (uncle != nullptr && uncle->colour != 0) {
            restructure(x, p, g);
            return;
        }
        p->colour = 1;
        if (uncle != nullptr) {
            uncle->colour = 1;
        }
        g->colour = 0;
        x = g;
    }
}

void OrderedIndex::restructure(IndexNode* x, IndexNode* p, IndexNode* g) {
    IndexNode* middle = p;
    if (g->left == p) {
        if (p->right == x) {
            rotateLeft(p);
            middle = x;
        }
        rotateRight(g);
    } else {
        if (p->left == x) {
            rotateRight(p);
            middle = x;
        }
        rotateLeft(g);
    }
    middle->colour = 1;
    g->colour = 0;
}

void OrderedIndex::remove(RecordNode* record) {
    IndexNode* target = record->*handle_;
    if (target == nullptr) {
        return;
    }
    settleColours();
    record->*handle_ = nullptr;
    IndexNode* taken = target;
    IndexNode* parent = nullptr;
    if (target->left == nullptr) {
        if (target == root_) {
            root_ = target->right;
            if (root_ != nullptr) {
                root_->parent = nullptr;
                root_->colour = 1;
            }
        } else {
            parent = target->parent;
            replaceChild(parent, target, target->right);
        }
    } else {
        taken = target->left;
        while (taken->right != nullptr) {
            taken = taken->right;
        }
        target->record = taken->record;
        target->key = taken->key;
        target->record->*handle_ = target;
        parent = taken->parent;
        replaceChild(parent, taken, taken->left);
    }
    if (parent != nullptr) {
        parent->colour += taken->colour;
        repairRemove(parent);
    }
    const bool wasExtreme = taken == leftmost_ || taken == rightmost_;
    nodes_.release(taken);
    if (wasExtreme) {
        refreshExtremes();
    }
}

void OrderedIndex::repairRemove(IndexNode* x) {
    while (x->colour == 2) {
        IndexNode* p = x->parent;
        if (p == nullptr) {
            x->colour = 1;
            return;
        }
        const bool xIsLeft = p->left == x;
        IndexNode* sibling = xIsLeft ? p->right : p->left;
        if (sibling != nullptr) {
            if (sibling->colour == 0) {
                rotateToward(p, xIsLeft);
                sibling->colour = 1;
                p->colour = 0;
                continue;
            }
            IndexNode* nearChild = xIsLeft ? sibling->left : sibling->right;
            IndexNode* farChild = xIsLeft ? sibling->right : sibling->left;
            const bool farIsRed = farChild != nullptr && farChild->colour == 0;
            const bool nearIsRed = nearChild != nullptr && nearChild->colour == 0;
            if (farIsRed || nearIsRed) {
                if (!farIsRed) {
                    // Near rotation: the near child takes the sibling's place
                    // and the old sibling becomes its red far child.
                    rotateToward(sibling, !xIsLeft);
                    nearChild->colour = 1;
                    sibling->colour = 0;
                    farChild = sibling;
                    sibling = nearChild;
                }
                const int parentColour = p->colour;
                rotateToward(p, xIsLeft);
                x->colour = 1;
                sibling->colour = parentColour;
                p->colour = 1;
                farChild->colour = 1;
                return;
            }
            sibling->colour = 0;
        }
        p->colour += 1;
        x->colour = 1;
        x = p;
    }
}

void OrderedIndex::refreshExtremes() {
    leftmost_ = rightmost_ = root_;
    if (root_ == nullptr) {
        return;
    }
    while (leftmost_->left != nullptr) {
        leftmost_ = leftmost_->left;
    }
    while (rightmost_->right != nullptr) {
        rightmost_ = rightmost_->right;
    }
}

void OrderedIndex::collectEqualPrimary(const Record& key, std::vector<RecordNode*>& out) const {
    const Probe probe = probeOf(key);
    const IndexNode* top = root_;
    while (top != nullptr) {
        const int c = compareNode(top, probe);
        if (c == -1) {
            top = top->right;
        } else if (c == 1) {
            top = top->left;
        } else {
            break;
        }
    }
    if (top == nullptr) {
        return;
    }
    // Pre-order walk with an explicit stack. A subtree that lies wholly below
    // or above the key's primary field holds no match and is passed over,
    // which leaves the order of the matches unchanged.
    std::vector<const IndexNode*> pending{top};
    while (!pending.empty()) {
        const IndexNode* node = pending.back();
        pending.pop_back();
        const int c = compareNode(node, probe);
        if (c != -1 && c != 1) {
            out.push_back(node->record);
        }
        if (c != 1 && node->right != nullptr) {
            pending.push_back(node->right);
        }
        if (c != -1 && node->left != nullptr) {
            pending.push_back(node->left);
        }
    }
}

void OrderedIndex::clear() {
    for (SpineChain& spine : spines_) {
        spine.forget();
    }
    nodes_.clear();
    root_ = leftmost_ = rightmost_ = nullptr;
}

}  // namespace recdb
