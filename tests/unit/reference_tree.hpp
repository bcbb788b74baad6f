#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "order/record_id.hpp"
#include "order/relation.hpp"
#include "store/record_store.hpp"
#include "test_support.hpp"

namespace recdb::testing {

// The tree rules exactly as they read, as the executable statement of what
// the ordered index must do: every insert and lookup descends from the root,
// a removal searches for its node (both subtrees where keys are equal) and
// takes the rightmost node of the left subtree, and every repair walks step
// by step. Slow by design; the index is compared with it.
class ReferenceTree {
public:
    // compare(a, b) of two record numbers, as compareByName or compareByRating.
    using Compare = std::function<Relation(RecordId, RecordId)>;
    // The comparison of a record number with a looked-up key.
    using CompareToKey = std::function<Relation(RecordId)>;

    explicit ReferenceTree(Compare compare) : compare_(std::move(compare)) {}

    void insert(RecordId id) {
        Node* node = make(id);
        if (root_ == nullptr) {
            node->colour = 1;
            root_ = node;
            return;
        }
        for (Node* parent = root_;;) {
            const bool right = isAbove(compare_(id, parent->id));
            Node*& child = right ? parent->right : parent->left;
            if (child == nullptr) {
                child = node;
                node->parent = parent;
                break;
            }
            parent = child;
        }
        for (Node* x = node;;) {
            Node* p = x->parent;
            if (p == nullptr) {
                x->colour = 1;
                return;
            }
            if (x->colour == 1 || p->colour == 1) {
                return;
            }
            Node* g = p->parent;
            Node* u = g->left == p ? g->right : g->left;
            if (u != nullptr && u->colour != 0) {
                Node* middle = p;
                if (g->left == p && p->right == x) {
                    rotate(p, true);
                    middle = x;
                } else if (g->right == p && p->left == x) {
                    rotate(p, false);
                    middle = x;
                }
                rotate(g, g->right == middle);
                middle->colour = 1;
                g->colour = 0;
                return;
            }
            p->colour = 1;
            if (u != nullptr) {
                u->colour = 1;
            }
            g->colour = 0;
            x = g;
        }
    }

    void remove(RecordId id) {
        Node* d = search(id);
        Node* taken = d;
        Node* q = nullptr;
        if (d->left == nullptr) {
            if (d == root_) {
                root_ = d->right;
                if (root_ != nullptr) {
                    root_->parent = nullptr;
                    root_->colour = 1;
                }
                return;
            }
            q = d->parent;
            replace(q, d, d->right);
        } else {
            taken = d->left;
            while (taken->right != nullptr) {
                taken = taken->right;
            }
            d->id = taken->id;
            q = taken->parent;
            replace(q, taken, taken->left);
        }
        q->colour += taken->colour;
        for (Node* x = q; x->colour == 2;) {
            Node* p = x->parent;
            if (p == nullptr) {
                x->colour = 1;
                break;
            }
            const bool xLeft = p->left == x;
            Node* s = xLeft ? p->right : p->left;
            if (s != nullptr && s->colour == 0) {
                rotate(p, xLeft);
                s->colour = 1;
                p->colour = 0;
                continue;
            }
            Node* nearChild = s == nullptr ? nullptr : (xLeft ? s->left : s->right);
            Node* farChild = s == nullptr ? nullptr : (xLeft ? s->right : s->left);
            const bool farRed = farChild != nullptr && farChild->colour == 0;
            const bool nearRed = nearChild != nullptr && nearChild->colour == 0;
            if (s != nullptr && (farRed || nearRed)) {
                if (!farRed) {
                    rotate(s, !xLeft);
                    nearChild->colour = 1;
                    s->colour = 0;
                    farChild = s;
                    s = nearChild;
                }
                const int parentColour = p->colour;
                rotate(p, xLeft);
                x->colour = 1;
                s->colour = parentColour;
                p->colour = 1;
                farChild->colour = 1;
                break;
            }
            p->colour += 1;
            x->colour = 1;
            if (s != nullptr) {
                s->colour = 0;
            }
            x = p;
        }
    }

    RecordId find(const CompareToKey& compareToKey) const {
        for (const Node* n = root_; n != nullptr;) {
            const Relation c = compareToKey(n->id);
            if (c == Relation::Same) {
                return n->id;
            }
            n = isAbove(c) ? n->left : n->right;
        }
        return NoRecord;
    }

    std::vector<RecordId> collectEqualPrimary(const CompareToKey& compareToKey) const {
        const Node* top = root_;
        while (top != nullptr) {
            const Relation c = compareToKey(top->id);
            if (!keysDiffer(c)) {
                break;
            }
            top = c == Relation::Below ? top->right : top->left;
        }
        std::vector<RecordId> found;
        std::vector<const Node*> pending;
        if (top != nullptr) {
            pending.push_back(top);
        }
        while (!pending.empty()) {
            const Node* n = pending.back();
            pending.pop_back();
            if (!keysDiffer(compareToKey(n->id))) {
                found.push_back(n->id);
            }
            if (n->right != nullptr) {
                pending.push_back(n->right);
            }
            if (n->left != nullptr) {
                pending.push_back(n->left);
            }
        }
        return found;
    }

    // The same text as testing::shapeOf gives for an index.
    std::string shape(const RecordStore& store) const {
        return preOrderShape(
            static_cast<const Node*>(root_), static_cast<const Node*>(nullptr),
            [&store](const Node* node) {
                return std::string(store.name(node->id)) + ':' + std::to_string(node->colour);
            },
            [](const Node* node) {
                return std::pair(static_cast<const Node*>(node->left), static_cast<const Node*>(node->right));
            });
    }

private:
    struct Node {
        RecordId id = NoRecord;
        Node* parent = nullptr;
        Node* left = nullptr;
        Node* right = nullptr;
        int colour = 0;
    };

    Node* make(RecordId id) {
        nodes_.push_back(std::make_unique<Node>());
        nodes_.back()->id = id;
        return nodes_.back().get();
    }
    // The node that holds id: both subtrees of a node with an equal key.
    Node* search(RecordId id) const {
        std::vector<Node*> pending{root_};
        while (!pending.empty()) {
            Node* n = pending.back();
            pending.pop_back();
            while (n != nullptr && n->id != id) {
                const Relation c = compare_(id, n->id);
                if (c == Relation::Same) {
                    pending.push_back(n->right);
                    n = n->left;
                } else {
                    n = isBelow(c) ? n->left : n->right;
                }
            }
            if (n != nullptr) {
                return n;
            }
        }
        return nullptr;
    }
    void replace(Node* parent, Node* old, Node* child) {
        if (parent == nullptr) {
            root_ = child;
        } else if (parent->left == old) {
            parent->left = child;
        } else {
            parent->right = child;
        }
        if (child != nullptr) {
            child->parent = parent;
        }
    }
    // Rotates the child on the other side of toLeft up into n's place.
    void rotate(Node* n, bool toLeft) {
        Node* up = toLeft ? n->right : n->left;
        Node*& inner = toLeft ? up->left : up->right;
        (toLeft ? n->right : n->left) = inner;
        if (inner != nullptr) {
            inner->parent = n;
        }
        replace(n->parent, n, up);
        inner = n;
        n->parent = up;
    }

    Compare compare_;
    Node* root_ = nullptr;
    std::vector<std::unique_ptr<Node>> nodes_;
};

}  // namespace recdb::testing
