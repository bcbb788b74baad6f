#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "store/ordered_index.hpp"
#include "store/record_compare.hpp"
#include "store/record_list.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::makeRecord;
using testing::shapeOf;

// Records owned by a list, filed into one index under test.
struct NameTree {
    RecordList records;
    OrderedIndex index{compareKeyedByName, &RecordNode::nameNode};

    RecordNode* add(const std::string& name) {
        RecordNode* node = records.append(makeRecord(name));
        index.insert(node);
        return node;
    }
    std::string shape() const { return shapeOf(index.root()); }
};

TEST(OrderedIndexShape, AscendingNamesBuildAChain) {
    NameTree tree;
    for (const char* name : {"a", "b", "c", "d"}) {
        tree.add(name);
    }
    EXPECT_EQ(tree.shape(), "a:1(-,b:0(-,c:1(-,d:0)))");
}

// Colours along a chain of n names, from the root down: alternating black
// and red, with a second black at the top when n is odd.
std::string chainColours(int n) {
    std::string colours = n % 2 == 1 ? "1" : "";
    for (int k = 0; k < n / 2; ++k) {
        colours += "10";
    }
    return colours;
}

TEST(OrderedIndexShape, ChainsKeepTheirColoursAtEveryLength) {
    for (int n = 1; n <= 12; ++n) {
        NameTree ascending;
        NameTree descending;
        for (int k = 0; k < n; ++k) {
            ascending.add(std::string(1, static_cast<char>('a' + k)));
            descending.add(std::string(1, static_cast<char>('z' - k)));
        }
        std::string up;
        for (const IndexNode* node = ascending.index.root(); node != nullptr; node = node->right) {
            up += std::to_string(node->colour);
        }
        std::string down;
        for (const IndexNode* node = descending.index.root(); node != nullptr; node = node->left) {
            down += std::to_string(node->colour);
        }
        EXPECT_EQ(up, chainColours(n)) << n;
        EXPECT_EQ(down, chainColours(n)) << n;
    }
}

TEST(OrderedIndexShape, RestructuresAsTheRulesSay) {
    NameTree tree;
    for (const char* name : {"50", "30", "70", "60", "80", "90", "95"}) {
        tree.add(name);
    }
    EXPECT_EQ(tree.shape(), "70:1(50:0(30:1,60:1),80:0(-,90:1(-,95:0)))");
}

TEST(OrderedIndexShape, RemovingABlackLeafOnlyRecoloursTheRoot) {
    NameTree tree;
    RecordNode* one = nullptr;
    for (const char* name : {"2", "1", "3", "4"}) {
        RecordNode* node = tree.add(name);
        if (std::string(name) == "1") {
            one = node;
        }
    }
    tree.index.remove(one);
    EXPECT_EQ(tree.shape(), "2:1(-,3:1(-,4:0))");
}

TEST(OrderedIndexShape, RemovingTheOnlyNodeEmptiesTheIndex) {
    NameTree tree;
    RecordNode* only = tree.add("x");
    tree.index.remove(only);
    EXPECT_EQ(tree.index.root(), nullptr);
    EXPECT_EQ(tree.index.find(makeRecord("x")), nullptr);
    tree.add("y");
    EXPECT_EQ(tree.shape(), "y:1");
}

TEST(OrderedIndexFind, FindsTheHighestEqualRecordOnThePath) {
    NameTree tree;
    RecordNode* first = tree.add("m");
    RecordNode* second = tree.add("m");
    tree.add("a");
    tree.add("z");
    EXPECT_EQ(tree.index.find(makeRecord("m")), first);
    tree.index.remove(first);
    EXPECT_EQ(tree.index.find(makeRecord("m")), second);
    tree.index.remove(second);
    EXPECT_EQ(tree.index.find(makeRecord("m")), nullptr);
    EXPECT_EQ(tree.index.find(makeRecord("0")), nullptr);
    EXPECT_EQ(tree.index.find(makeRecord("zz")), nullptr);
}

TEST(OrderedIndexCollect, GathersEqualRatingsInPreOrder) {
    RecordList records;
    OrderedIndex index{compareKeyedByRating, &RecordNode::ratingNode};
    for (const auto& record : {makeRecord("d", 0, 1, 2), makeRecord("b", 0, 2, 4), makeRecord("x", 0, 9, 1),
                               makeRecord("a", 0, 3, 6), makeRecord("c", 0, 1, 3), makeRecord("e", 0, 1, 2)}) {
        index.insert(records.append(record));
    }
    std::vector<RecordNode*> found;
    index.collectEqualPrimary(makeRecord("", 0, 1, 2), found);
    std::vector<std::string> names;
    for (RecordNode* node : found) {
        names.emplace_back(node->record.nameView());
    }
    // Rating order, then name: c(1/3) < a < b < d < e (all 1/2) < x.
    EXPECT_EQ(shapeOf(index.root()), "d:1(b:0(a:1(c:0,-),-),x:1(e:0,-))");
    EXPECT_EQ(names, (std::vector<std::string>{"d", "b", "a", "e"}));

    found.clear();
    index.collectEqualPrimary(makeRecord("", 0, 7, 5), found);
    EXPECT_TRUE(found.empty());
}

// The tree exactly as its rules read: every insert and lookup descends from
// the root, and removal searches for the node (both subtrees when equal).
class ReferenceTree {
public:
    explicit ReferenceTree(RecordComparison compare) : compare_(compare) {}

    void insert(RecordNode* record) {
        auto owned = std::make_unique<IndexNode>();
        IndexNode* node = owned.get();
        nodes_.push_back(std::move(owned));
        node->record = record;
        if (root_ == nullptr) {
            node->colour = 1;
            root_ = node;
            return;
        }
        IndexNode* parent = root_;
        for (;;) {
            const bool right = compare_(record->record, parent->record->record) > 0;
            IndexNode*& child = right ? parent->right : parent->left;
            if (child == nullptr) {
                child = node;
                node->parent = parent;
                break;
            }
            parent = child;
        }
        for (IndexNode* x = node;;) {
            IndexNode* p = x->parent;
            if (p == nullptr) {
                x->colour = 1;
                return;
            }
            if (x->colour == 1 || p->colour == 1) {
                return;
            }
            IndexNode* g = p->parent;
            IndexNode* u = g->left == p ? g->right : g->left;
            if (u != nullptr && u->colour != 0) {
                IndexNode* middle = p;
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

    RecordNode* find(const Record& key) const {
        for (IndexNode* n = root_; n != nullptr;) {
            const int c = compare_(n->record->record, key);
            if (c == 0) {
                return n->record;
            }
            n = c > 0 ? n->left : n->right;
        }
        return nullptr;
    }

    void remove(RecordNode* record) {
        IndexNode* d = search(root_, record);
        ASSERT_NE(d, nullptr);
        IndexNode* taken = d;
        IndexNode* q = nullptr;
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
            d->record = taken->record;
            q = taken->parent;
            replace(q, taken, taken->left);
        }
        q->colour += taken->colour;
        for (IndexNode* x = q; x->colour == 2;) {
            IndexNode* p = x->parent;
            if (p == nullptr) {
                x->colour = 1;
                break;
            }
            const bool xLeft = p->left == x;
            IndexNode* s = xLeft ? p->right : p->left;
            if (s != nullptr && s->colour == 0) {
                rotate(p, xLeft);
                s->colour = 1;
                p->colour = 0;
                continue;
            }
            IndexNode* nearChild = s == nullptr ? nullptr : (xLeft ? s->left : s->right);
            IndexNode* farChild = s == nullptr ? nullptr : (xLeft ? s->right : s->left);
            if (s != nullptr && ((farChild && farChild->colour == 0) || (nearChild && nearChild->colour == 0))) {
                if (!(farChild && farChild->colour == 0)) {
                    rotate(s, !xLeft);
                    nearChild->colour = 1;
                    s->colour = 0;
                    farChild = s;
                    s = nearChild;
                }
                const int pc = p->colour;
                rotate(p, xLeft);
                x->colour = 1;
                s->colour = pc;
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

    const IndexNode* root() const { return root_; }

private:
    IndexNode* search(IndexNode* n, RecordNode* record) const {
        while (n != nullptr && n->record != record) {
            const int c = compare_(record->record, n->record->record);
            if (c == 0) {
                IndexNode* inLeft = search(n->left, record);
                return inLeft != nullptr ? inLeft : search(n->right, record);
            }
            n = c < 0 ? n->left : n->right;
        }
        return n;
    }
    void replace(IndexNode* parent, IndexNode* old, IndexNode* child) {
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
    void rotate(IndexNode* n, bool toLeft) {
        IndexNode* up = toLeft ? n->right : n->left;
        IndexNode*& inner = toLeft ? up->left : up->right;
        (toLeft ? n->right : n->left) = inner;
        if (inner != nullptr) {
            inner->parent = n;
        }
        replace(n->parent, n, up);
        inner = n;
        n->parent = up;
    }

    RecordComparison compare_;
    IndexNode* root_ = nullptr;
    std::vector<std::unique_ptr<IndexNode>> nodes_;
};

// Random inserts and removals, with repeated names and shuffled, ascending,
// descending and alternating runs, give the same tree as the plain rules.
TEST(OrderedIndexReference, MatchesThePlainRulesStepByStep) {
    std::mt19937 random(7);
    const std::pair<KeyedComparison, RecordComparison> orders[] = {{compareKeyedByName, compareByName},
                                                                    {compareKeyedByRating, compareByRating}};
    for (const auto& [keyed, compare] : orders) {
        RecordList records;
        OrderedIndex index{keyed, &RecordNode::ratingNode};
        ReferenceTree reference(compare);
        std::vector<RecordNode*> present;
        for (int step = 0; step < 8000; ++step) {
            const int phase = (step / 400) % 4;
            const bool removing = !present.empty() && random() % (phase == 0 ? 3 : 40) == 0;
            if (removing) {
                const std::size_t at = random() % present.size();
                index.remove(present[at]);
                reference.remove(present[at]);
                present.erase(present.begin() + static_cast<std::ptrdiff_t>(at));
            } else {
                // Shuffled names; names above all others in ascending order;
                // names below all others in descending order; both by turns.
                const bool below = phase == 2 || (phase == 3 && step % 2 == 0);
                const int key = phase == 0 ? static_cast<int>(random() % 300)
                                : below    ? 1000000 - step
                                : phase == 1 ? step
                                           : 100000 + step;
                char name[16];
                std::snprintf(name, sizeof name, below ? "!%06d" : "%06d", key);
                RecordNode* node = records.append(
                    makeRecord(name, 0, static_cast<int>(random() % 5) - 2, static_cast<int>(random() % 4) - 1));
                index.insert(node);
                reference.insert(node);
                present.push_back(node);
            }
            // Looking at the shape writes out every colour, so look only now
            // and then: long ascending runs must also be checked as a whole.
            if (step % 97 == 0 || step % 400 == 399) {
                ASSERT_EQ(shapeOf(index.root()), shapeOf(reference.root())) << "step " << step;
            }
            const Record probe = makeRecord(std::to_string(random() % 300), 0, 1, 1);
            ASSERT_EQ(index.find(probe), reference.find(probe));
        }
    }
}

TEST(IndexKey, KeyedComparisonsEqualTheRecordComparisons) {
    std::mt19937 random(5);
    const std::int32_t numbers[] = {0, 1, -1, 2, 3, -2147483647 - 1, 2147483647, 6, -6, 4};
    const char* names[] = {"", "a", "ab", "abcdefgh", "abcdefghi", "abcdefgh\xC0", "abcdefgi", "\xFF", "b", "a\x01"};
    std::vector<Record> records;
    for (int k = 0; k < 400; ++k) {
        records.push_back(makeRecord(names[random() % 10], 0, numbers[random() % 10], numbers[random() % 10]));
    }
    for (const Record& a : records) {
        for (const Record& b : records) {
            ASSERT_EQ(compareKeyedByName(indexKeyOf(a), a, indexKeyOf(b), b), compareByName(a, b));
            ASSERT_EQ(compareKeyedByRating(indexKeyOf(a), a, indexKeyOf(b), b), compareByRating(a, b));
        }
    }
}

TEST(OrderedIndexReference, AlternatingEndsFromEmptyMatchThePlainRules) {
    for (int n = 1; n <= 120; ++n) {
        NameTree tree;
        ReferenceTree reference(compareByName);
        for (int k = 0; k < n; ++k) {
            char name[16];
            std::snprintf(name, sizeof name, k % 2 == 0 ? "b%04d" : "a%04d", k % 2 == 0 ? k : 9999 - k);
            reference.insert(tree.add(name));
        }
        ASSERT_EQ(tree.shape(), shapeOf(reference.root())) << n;
    }
}

TEST(OrderedIndexRemove, KeepsTheInOrderSequenceAndTheHandles) {
    NameTree tree;
    std::vector<RecordNode*> nodes;
    for (int i = 0; i < 64; ++i) {
        nodes.push_back(tree.add(std::to_string(1000 + (i * 37) % 64)));
    }
    std::mt19937 random(3);
    std::shuffle(nodes.begin(), nodes.end(), random);
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        tree.index.remove(nodes[k]);
        std::vector<std::string> inOrder;
        std::vector<const IndexNode*> stack;
        for (const IndexNode* n = tree.index.root(); n != nullptr || !stack.empty();) {
            if (n != nullptr) {
                stack.push_back(n);
                n = n->left;
                continue;
            }
            n = stack.back();
            stack.pop_back();
            ASSERT_EQ(n->record->nameNode, n) << "a record's handle must name its own node";
            inOrder.emplace_back(n->record->record.nameView());
            n = n->right;
        }
        ASSERT_EQ(inOrder.size(), nodes.size() - k - 1);
        ASSERT_TRUE(std::is_sorted(inOrder.begin(), inOrder.end()));
    }
}

}  // namespace
}  // namespace recdb
