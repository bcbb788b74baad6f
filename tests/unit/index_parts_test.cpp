// The parts of the ordered-index engine, each against a plain model of what
// it must answer, on seeded random walks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "index/chain_set.hpp"
#include "index/key_order.hpp"
#include "index/neighbour_set.hpp"
#include "index/node_store.hpp"
#include "index/renumber_nodes.hpp"
#include "order/index_key.hpp"
#include "order/record_keys.hpp"

namespace recdb {
namespace {

std::size_t pick(std::mt19937& random, std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
}

// Ratings with their place in the rating order: equal fractions share a
// place, and a second part of 0 sorts below every other rating.
struct Rating {
    std::int32_t num;
    std::int32_t den;
    int place;
};
constexpr Rating Ratings[] = {{3, 0, 0}, {0, 0, 0}, {0, 1, 1}, {1, 3, 2}, {1, 2, 3},
                              {2, 4, 3}, {1, 1, 4}, {7, 7, 4}, {5, 1, 5}};

constexpr bool notAbove(Relation relation) { return !isAbove(relation); }

// A key in the model's own terms: the rating's place, then the name.
using ModelKey = std::pair<int, std::string>;

// Records by number, as the key order reads them, with their model keys.
class Records final : public RecordKeys {
public:
    RecordId add(const Rating& rating, std::string name) {
        keys_.push_back(indexKeyOf(name, rating.num, rating.den));
        model_.emplace_back(rating.place, std::move(name));
        return static_cast<RecordId>(model_.size() - 1);
    }
    std::string_view nameOf(RecordId id) const override { return model_[id].second; }
    IndexKey keyOf(RecordId id) const override { return keys_[id]; }
    IndexKey ratingOf(RecordId id) const override { return {0, 0, keys_[id].ratingNum, keys_[id].ratingDen}; }
    std::size_t idLimit() const override { return model_.size(); }
    const ModelKey& modelKey(RecordId id) const { return model_[id]; }

private:
    std::vector<IndexKey> keys_;
    std::vector<ModelKey> model_;
};

// A key order in the rating order beside a multimap of the same records, in
// which equal keys stand in the order they were put at. The key order keeps
// each record's leaf in a word per record that the walk lends it, as the
// index lends its nodes' words.
class KeyOrderWalk {
public:
    Records records;

    // The word lent for each record.
    auto wordOf() {
        return [this](RecordId id) -> NodeWord& { return words_[id]; };
    }
    auto wordOf() const {
        return [this](RecordId id) -> const NodeWord& { return words_[id]; };
    }

    std::size_t size() const { return filed_.size(); }

    void insert(RecordId id, bool atFront) {
        const ModelKey& key = records.modelKey(id);
        const auto modelAt = model_.emplace_hint(atFront ? model_.lower_bound(key) : model_.upper_bound(key), key, id);
        order_->prepareInsert();
        ASSERT_TRUE(order_->readyToInsert());
        words_.resize(records.idLimit());
        order_->insert(atFront ? partition(id, isBelow) : partition(id, notAbove), id, wordOf());
        modelAt_.resize(records.idLimit());
        modelAt_[id] = modelAt;
        filed_.push_back(id);
        const KeyOrder::Position at = order_->positionOf(id, wordOf());
        ASSERT_EQ(around(at), around(modelAt));
        ASSERT_EQ(around(order_->next(at)), around(std::next(modelAt)));
    }

    void eraseAny(std::mt19937& random) {
        const std::size_t k = pick(random, filed_.size());
        const RecordId id = filed_[k];
        filed_[k] = filed_.back();
        filed_.pop_back();
        order_->erase(order_->positionOf(id, wordOf()));
        model_.erase(modelAt_[id]);
    }

    // The whole order, as it is and walked, every record knowing its leaf,
    // and the runs of the probes' keys (where previous and last are tried).
    void expectMatches(const std::vector<RecordId>& probes) const {
        ASSERT_TRUE(order_->structureHolds());
        std::vector<RecordId> expected;
        for (const auto& entry : model_) {
            expected.push_back(entry.second);
        }
        ASSERT_EQ(order_->size(), expected.size());
        ASSERT_EQ(order_->entries(), expected);
        std::vector<RecordId> walked;
        for (KeyOrder::Position at = order_->first(); order_->idAt(at) != NoRecord; at = order_->next(at)) {
            walked.push_back(order_->idAt(at));
        }
        ASSERT_EQ(walked, expected);
        ASSERT_TRUE(order_->leavesKnown(wordOf()));
        for (const RecordId probe : probes) {
            const ModelKey& key = records.modelKey(probe);
            ASSERT_EQ(around(partition(probe, isBelow)), around(model_.lower_bound(key))) << key.second;
            ASSERT_EQ(around(partition(probe, notAbove)), around(model_.upper_bound(key))) << key.second;
        }
    }

    // Builds the same records into a new key order in bulk: it must hold
    // what inserting one by one built, and take the walk on from there.
    void rebuildInBulk() {
        auto bulk = std::make_unique<KeyOrder>(records);
        const std::span<RecordId> slots = bulk->bulkEntries(model_.size());
        std::transform(model_.begin(), model_.end(), slots.begin(), [](const auto& entry) { return entry.second; });
        const std::vector<RecordId> ranked(slots.begin(), slots.end());
        bulk->finishBulk(model_.size());
        ASSERT_EQ(bulk->entries(), order_->entries());
        order_ = std::move(bulk);
        KeyOrder::noteBulkLeaves(ranked.size(), [&](std::size_t rank) -> NodeWord& { return words_[ranked[rank]]; });
    }

private:
    // The key and name of an entry or a separator.
    std::pair<IndexKey, std::string_view> keyed(RecordId id) const { return {records.keyOf(id), records.nameOf(id)}; }
    static std::pair<IndexKey, std::string_view> keyed(const KeyOrder::Separator& separator) {
        return {separator.key, separator.nameView()};
    }
    template <typename Test>
    KeyOrder::Position partition(RecordId probe, Test test) const {
        return order_->partitionPoint([&](const auto& item) {
            const auto [key, name] = keyed(item);
            return test(compareKeyed(
                IndexOrder::ByRating, key, [name = name] { return name; }, records.keyOf(probe),
                [&] { return records.nameOf(probe); }));
        });
    }
    // The records just before and at a place (NoRecord where there is none).
    std::pair<RecordId, RecordId> around(KeyOrder::Position at) const {
        return {order_->idAt(order_->previous(at)), order_->idAt(at)};
    }
    std::pair<RecordId, RecordId> around(std::multimap<ModelKey, RecordId>::const_iterator at) const {
        return {at == model_.begin() ? NoRecord : std::prev(at)->second, at == model_.end() ? NoRecord : at->second};
    }

    std::unique_ptr<KeyOrder> order_ = std::make_unique<KeyOrder>(records);
    std::multimap<ModelKey, RecordId> model_;
    std::vector<std::multimap<ModelKey, RecordId>::iterator> modelAt_;
    std::vector<NodeWord> words_;
    std::vector<RecordId> filed_;
};

// Names that sort as their numbers do.
std::string padded(long number) {
    std::string digits = std::to_string(number);
    return std::string(10 - digits.size(), '0') + digits;
}

TEST(KeyOrder, MatchesAMultimapThroughInsertsErasesAndBulkBuilding) {
    enum class Keys { Random, Ascending, Descending, OneKey };
    enum class Side { Either, Front, Back };  // where a record goes among equal keys
    struct Case {
        const char* what;
        Keys keys;
        Side side;
        int records;
        unsigned erasePercent;
    };
    // Random keys split leaves in the middle; keys in order, and one key put
    // always at the front or the back, split them at their ends and fill the
    // inner nodes from one side. 140,000 keys in order make three inner levels.
    const Case cases[] = {
        {"random keys, many equal", Keys::Random, Side::Either, 40000, 25},
        {"random keys, erase-heavy", Keys::Random, Side::Either, 3000, 45},
        {"ascending keys", Keys::Ascending, Side::Back, 140000, 0},
        {"descending keys", Keys::Descending, Side::Front, 30000, 5},
        {"one key, always in front", Keys::OneKey, Side::Front, 20000, 10},
        {"one key, always behind", Keys::OneKey, Side::Back, 20000, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::mt19937 random(static_cast<unsigned>(c.records));
        KeyOrderWalk walk;
        // Half the random names share their first 8 bytes, which the
        // separators' inline keys then cannot tell apart.
        const auto newRecord = [&](long k) {
            if (c.keys == Keys::Random) {
                const std::size_t n = pick(random, static_cast<std::size_t>(c.records / 8));
                return walk.records.add(Ratings[pick(random, std::size(Ratings))],
                                        (n % 2 == 0 ? "prefix--" : "") + std::to_string(n));
            }
            if (c.keys == Keys::OneKey) {
                return walk.records.add(Ratings[4], "one name for every record");
            }
            return walk.records.add(Ratings[0], padded(c.keys == Keys::Ascending ? k : 1000000 - k));
        };
        std::vector<RecordId> probes;
        for (int k = 0; k < 64; ++k) {
            probes.push_back(newRecord(static_cast<long>(pick(random, static_cast<std::size_t>(c.records)))));
        }
        long made = 0;
        const auto insertNew = [&] {
            const bool atFront = c.side == Side::Either ? random() % 2 == 0 : c.side == Side::Front;
            walk.insert(newRecord(made++), atFront);
        };
        // Grow to the full count, build the same records in bulk, and shrink
        // to nothing from there.
        bool growing = true;
        for (int step = 1; growing || walk.size() > 0; ++step) {
            const bool erase = growing ? walk.size() > 0 && random() % 100 < c.erasePercent : random() % 8 != 0;
            ASSERT_NO_FATAL_FAILURE(erase ? walk.eraseAny(random) : insertNew()) << "step " << step;
            if (step % (c.records / 16) == 0 || walk.size() == 0) {
                ASSERT_NO_FATAL_FAILURE(walk.expectMatches(probes)) << "step " << step;
            }
            if (growing && made == c.records) {
                growing = false;
                ASSERT_NO_FATAL_FAILURE(walk.rebuildInBulk());
                ASSERT_NO_FATAL_FAILURE(walk.expectMatches(probes)) << "built in bulk";
            }
        }
        ASSERT_NO_FATAL_FAILURE(insertNew());
        ASSERT_NO_FATAL_FAILURE(walk.expectMatches(probes)) << "refilled";
    }
}

// A chain set beside its model: the chains as lists of nodes, top first, and
// every node's colour.
class ChainWalk {
public:
    enum Step { Join, CutAbove, Flip, Paint, StepKinds };

    ChainWalk(std::size_t nodes, unsigned seed) : random(seed), colours_(nodes) {
        set_.makeRoom(nodes);
        for (RecordId node = 0; node < nodes; ++node) {
            colours_[node] = anyColour();
            set_.makeSingle(node, colours_[node]);
            chains_.push_back({node});
        }
    }

    // One step at a random node, then every check on the chains it touched.
    void take(Step step) {
        std::size_t c = pick(random, chains_.size());
        const std::size_t i = pick(random, chains_[c].size());
        const RecordId node = chains_[c][i];
        std::size_t cut = 0;  // where the chain is cut in two, if it is
        switch (step) {
        case Join:
            if (chains_.size() > 1) {
                std::size_t d = pick(random, chains_.size() - 1);
                d += d >= c ? 1 : 0;
                set_.join(chains_[c].back(), chains_[d].front());
                chains_[c].insert(chains_[c].end(), chains_[d].begin(), chains_[d].end());
                chains_.erase(chains_.begin() + static_cast<std::ptrdiff_t>(d));
                c -= d < c ? 1 : 0;
            }
            break;
        case CutAbove:
            set_.cutAbove(node);
            cut = i;
            break;
        case Flip: {
            const std::size_t j = i + pick(random, chains_[c].size() - i);
            set_.flip(node, chains_[c][j]);
            for (std::size_t k = i; k <= j; ++k) {
                Colour& colour = colours_[chains_[c][k]];
                colour = colour == Colour::Black ? Colour::Red : Colour::Black;
            }
            break;
        }
        case Paint:
        case StepKinds:
            colours_[node] = anyColour();
            set_.setColour(node, colours_[node]);
            break;
        }
        if (cut > 0 && cut < chains_[c].size()) {
            std::vector<RecordId> lower(chains_[c].begin() + static_cast<std::ptrdiff_t>(cut), chains_[c].end());
            chains_[c].resize(cut);
            chains_.push_back(std::move(lower));
            ASSERT_NO_FATAL_FAILURE(expectChain(chains_.size() - 1));
        }
        ASSERT_NO_FATAL_FAILURE(expectChain(c));
    }

    void expectAll() {
        for (std::size_t c = 0; c < chains_.size(); ++c) {
            ASSERT_NO_FATAL_FAILURE(expectChain(c));
            for (const RecordId node : chains_[c]) {
                ASSERT_EQ(set_.colour(node), colours_[node]) << "node " << node;
            }
        }
    }

    std::mt19937 random;

private:
    Colour anyColour() { return random() % 2 == 0 ? Colour::Black : Colour::Red; }
    bool black(RecordId node) const { return colours_[node] == Colour::Black; }

    // Every query at a random node of the chain at c, and a join of the node
    // to the one it follows already, which changes nothing; then the chain's
    // links and summaries.
    void expectChain(std::size_t c) {
        const std::vector<RecordId>& chain = chains_[c];
        const std::size_t i = pick(random, chain.size());
        if (i > 0) {
            set_.join(chain[i - 1], chain[i]);
        }
        RecordId blackPair = NoRecord;
        RecordId red = NoRecord;
        for (std::size_t k = i; k > 0; --k) {
            blackPair = blackPair == NoRecord && black(chain[k]) && black(chain[k - 1]) ? chain[k] : blackPair;
            red = red == NoRecord && !black(chain[k - 1]) ? chain[k - 1] : red;
        }
        ASSERT_EQ(set_.colour(chain[i]), colours_[chain[i]]) << "node " << chain[i];
        ASSERT_EQ(set_.deepestBlackPairTo(chain[i]), blackPair) << "node " << chain[i];
        ASSERT_EQ(set_.deepestRedAbove(chain[i]), red) << "node " << chain[i];
        ASSERT_EQ(set_.first(chain[i]), chain.front()) << "node " << chain[i];
        ASSERT_EQ(set_.next(chain[i]), i + 1 < chain.size() ? chain[i + 1] : NoRecord) << "node " << chain[i];
        ASSERT_TRUE(set_.summariesHold(chain[i])) << "node " << chain[i];
        ASSERT_EQ(set_.chainOf(chain[i]), chain);
    }

    ChainSet set_;
    std::vector<Colour> colours_;
    std::vector<std::vector<RecordId>> chains_;
};

#ifndef RECDB_TEST_SIZE_DIVISOR
#define RECDB_TEST_SIZE_DIVISOR 1
#endif
// Sanitizer builds take the longest walks in part.
constexpr int SizeDivisor = RECDB_TEST_SIZE_DIVISOR;

TEST(ChainSet, MatchesChainsOfColoursThroughJoinsCutsAndFlips) {
    struct Case {
        std::size_t nodes;
        int steps;
        std::array<int, ChainWalk::StepKinds> weights;  // of Join, CutAbove, Flip, Paint
    };
    // Walks that join more than they cut gather the nodes into a few long
    // chains with deep splay trees; the others keep many short ones.
    const Case cases[] = {
        {1, 200, {1, 2, 1, 1}},      {2, 2000, {1, 2, 1, 1}},     {50, 20000, {3, 2, 2, 1}},
        {2000, 20000, {8, 2, 3, 1}}, {2000, 20000, {2, 4, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.nodes) + " nodes");
        ChainWalk walk(c.nodes, static_cast<unsigned>(c.nodes) + static_cast<unsigned>(c.weights[0]));
        std::discrete_distribution<int> steps(c.weights.begin(), c.weights.end());
        for (int k = 1; k <= c.steps / SizeDivisor; ++k) {
            ASSERT_NO_FATAL_FAILURE(walk.take(static_cast<ChainWalk::Step>(steps(walk.random)))) << "step " << k;
            if (k % 1000 == 0) {
                ASSERT_NO_FATAL_FAILURE(walk.expectAll()) << "step " << k;
            }
        }
    }
}

// An observer that keeps the chain links it is told of, as the colour store
// keeps managed chains: each node's link up to its parent, when it is an
// only child.
struct ChainLinkModel {
    std::map<RecordId, RecordId> upperOf;
    std::vector<std::pair<RecordId, RecordId>> placesTaken;

    bool followsChains() const { return true; }
    void cutChainLink(RecordId lower) { upperOf.erase(lower); }
    void joinChainLink(RecordId upper, RecordId lower) { upperOf[lower] = upper; }
    void takePlace(RecordId from, RecordId to) { placesTaken.emplace_back(from, to); }
};
static_assert(ChainObserver<ChainLinkModel>);

// The node store alone, under random attaches, rotations and both kinds of
// removal: the links stay a search tree of the numbers present (its in-order
// is their order), and the observer is told of exactly the chain links that
// go and come, so that what it keeps is always the tree's own.
TEST(NodeStore, TellsItsObserverOfEveryChainLinkThatGoesOrComes) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        constexpr RecordId Size = 300;
        NodeStore nodes;
        nodes.makeRoom(Size);
        ChainLinkModel observer;
        std::set<RecordId> present;
        const auto expectInStep = [&](int step) {
            const std::vector<RecordId> inOrder = nodes.inOrder();
            std::map<RecordId, RecordId> links;
            for (const RecordId node : inOrder) {
                for (const RecordId child : {nodes.left(node), nodes.right(node)}) {
                    ASSERT_TRUE(child == NoRecord || nodes.parent(child) == node) << "step " << step;
                }
                if (nodes.isOnlyChild(node)) {
                    links[node] = nodes.parent(node);
                }
            }
            ASSERT_EQ(inOrder, std::vector<RecordId>(present.begin(), present.end())) << "step " << step;
            ASSERT_EQ(observer.upperOf, links) << "step " << step;
        };
        for (int step = 0; step < 6000; ++step) {
            const RecordId node = static_cast<RecordId>(pick(random, Size));
            const auto at = present.find(node);
            if (at == present.end()) {
                nodes.renew(node);
                const auto next = present.upper_bound(node);
                if (present.empty()) {
                    nodes.plantRoot(node);
                } else {
                    nodes.attachBetween(node, next == present.begin() ? NoRecord : *std::prev(next),
                                        next == present.end() ? NoRecord : *next, observer);
                }
                present.insert(node);
            } else if (random() % 3 != 0) {
                const bool leftRotation = random() % 2 == 0;
                if ((leftRotation ? nodes.right(node) : nodes.left(node)) != NoRecord) {
                    nodes.rotate(node, leftRotation, observer);
                }
            } else if (nodes.left(node) == NoRecord) {
                nodes.spliceOut(node, observer);
                present.erase(at);
            } else {
                const RecordId predecessor = *std::prev(at);
                observer.placesTaken.clear();
                nodes.replaceByPredecessor(node, predecessor, observer);
                ASSERT_EQ(observer.placesTaken, (std::vector<std::pair<RecordId, RecordId>>{{node, predecessor}}));
                present.erase(at);
            }
            ASSERT_NO_FATAL_FAILURE(expectInStep(step));
        }
    }
}

// Items that link to each other by number, moved along permutations of
// every kind of cycle: each must land at its new number with its links
// renumbered, whatever the cycles' lengths beside the number of walks.
TEST(RenumberNodes, MovesEveryItemToItsNumberWithItsLinks) {
    struct Item {
        RecordId up = NoRecord;
        RecordId down = NoRecord;
        std::uint32_t original = 0;
    };
    enum class Permutation { Identity, Reverse, OneCycle, Swaps, Random };
    const std::size_t sizes[] = {0, 1, 2, 15, 16, 17, 33, 1000, 100000};
    for (const std::size_t size : sizes) {
        for (const Permutation kind : {Permutation::Identity, Permutation::Reverse, Permutation::OneCycle,
                                       Permutation::Swaps, Permutation::Random}) {
            SCOPED_TRACE(std::to_string(size) + " items, permutation " + std::to_string(static_cast<int>(kind)));
            std::mt19937 random(static_cast<unsigned>(size));
            std::vector<RecordId> numberOf(size);
            for (std::size_t k = 0; k < size; ++k) {
                numberOf[k] = static_cast<RecordId>(k);
            }
            if (kind == Permutation::Reverse) {
                std::reverse(numberOf.begin(), numberOf.end());
            } else if (kind == Permutation::OneCycle) {
                std::rotate(numberOf.begin(), numberOf.begin() + (size > 0 ? 1 : 0), numberOf.end());
            } else if (kind == Permutation::Swaps) {
                for (std::size_t k = 0; k + 1 < size; k += 2) {
                    std::swap(numberOf[k], numberOf[k + 1]);
                }
            } else if (kind == Permutation::Random) {
                std::shuffle(numberOf.begin(), numberOf.end(), random);
            }
            std::vector<Item> items(size);
            for (std::size_t k = 0; k < size; ++k) {
                items[k].original = static_cast<std::uint32_t>(k);
                items[k].up = random() % 4 == 0 ? NoRecord : static_cast<RecordId>(pick(random, size));
                items[k].down = random() % 4 == 0 ? NoRecord : static_cast<RecordId>(pick(random, size));
            }
            const std::vector<Item> before = items;
            std::size_t prefetches = 0;
            renumberNodes(
                items, [&numberOf](RecordId node) { return numberOf[node]; },
                [&](RecordId node) {
                    ASSERT_LT(node, size);
                    ++prefetches;
                },
                &Item::up, &Item::down);
            const auto mapped = [&numberOf](RecordId node) { return node == NoRecord ? NoRecord : numberOf[node]; };
            for (std::size_t k = 0; k < size; ++k) {
                const Item& moved = items[numberOf[k]];
                ASSERT_EQ(moved.original, k);
                ASSERT_EQ(moved.up, mapped(before[k].up));
                ASSERT_EQ(moved.down, mapped(before[k].down));
            }
            EXPECT_LE(prefetches, size);
        }
    }
}

TEST(NeighbourSet, FindsTheNearestMembersAsAnOrderedSetDoes) {
    // Sizes at the edges of a word and of the second and third levels.
    const std::uint32_t sizes[] = {1, 2, 63, 64, 65, 127, 4095, 4096, 4097, 262143, 262144, 262145};
    for (const std::uint32_t size : sizes) {
        SCOPED_TRACE("size " + std::to_string(size));
        std::mt19937 random(size);
        NeighbourSet set(size);
        std::set<std::uint32_t> model;
        std::vector<std::uint32_t> edges;
        for (const std::uint32_t edge : {0U, 1U, 62U, 63U, 64U, 65U, 4095U, 4096U, 4097U, 262143U, 262144U, size - 1}) {
            if (edge < size) {
                edges.push_back(edge);
            }
        }
        const auto any = [&] { return static_cast<std::uint32_t>(pick(random, size)); };
        // Members come in rounds that double their number, from none to
        // dense; the edges and random numbers are asked after each round.
        for (std::size_t round = 1;; round *= 2) {
            for (std::size_t k = 0; k < edges.size() + 200; ++k) {
                const std::uint32_t number = k < edges.size() ? edges[k] : any();
                const auto above = model.upper_bound(number);
                const auto below = model.lower_bound(number);
                ASSERT_EQ(set.next(number), above == model.end() ? NeighbourSet::None : *above) << number;
                ASSERT_EQ(set.previous(number), below == model.begin() ? NeighbourSet::None : *std::prev(below))
                    << number;
            }
            if (round > size) {
                break;
            }
            for (std::size_t k = 0; k < round; ++k) {
                const std::uint32_t number = random() % 4 == 0 ? edges[pick(random, edges.size())] : any();
                set.insert(number);
                model.insert(number);
            }
        }
    }
}

}  // namespace
}  // namespace recdb
