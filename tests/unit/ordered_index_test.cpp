#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "index/ordered_index.hpp"
#include "reference_tree.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::addRecord;
using testing::compareByName;
using testing::compareByRating;
using testing::compareStored;
using testing::makeRecord;
using testing::numbered;
using testing::ReferenceTree;
using testing::shapeOf;

// Records filed into an index under test and into the literal rendering of
// the rules side by side.
struct Trees {
    explicit Trees(IndexOrder indexOrder, unsigned plainWalkLimit = OrderedIndex::DefaultPlainWalkLimit)
        : order(indexOrder),
          index(indexOrder, store, plainWalkLimit),
          reference([this](RecordId a, RecordId b) { return compareStored(store, this->order, a, b); }) {}

    RecordId add(const Record& record) {
        const RecordId id = addRecord(store, record);
        index.prepareInsert();
        index.insert(id);
        reference.insert(id);
        return id;
    }
    void remove(RecordId id) {
        index.remove(id);
        reference.remove(id);
        store.erase(id);
    }
    std::string shape() const { return shapeOf(index, store); }
    // The same tree as the rules build, and every invariant of the index.
    void expectSame(const std::string& where) const {
        ASSERT_EQ(shape(), reference.shape(store)) << where;
        std::string why;
        ASSERT_TRUE(index.invariantsHold(why)) << where << ": " << why;
    }

    IndexOrder order;
    RecordStore store;
    OrderedIndex index;
    ReferenceTree reference;
};

TEST(OrderedIndexShape, ExamplesOfTheRules) {
    struct Case {
        std::vector<const char*> inserted;
        const char* removed;  // null: none
        const char* shape;
    };
    const Case cases[] = {
        // A missing uncle counts as red: names in order make a chain.
        {{"a", "b", "c", "d"}, nullptr, "a:1(-,b:0(-,c:1(-,d:0)))"},
        {{"d", "c", "b", "a"}, nullptr, "d:1(c:0(b:1(a:0,-),-),-)"},
        // The last insertion recolours 90 and 80, then restructures.
        {{"50", "30", "70", "60", "80", "90", "95"}, nullptr, "70:1(50:0(30:1,60:1),80:0(-,90:1(-,95:0)))"},
        // A removed black leaf makes the root double black, then black again.
        {{"2", "1", "3", "4"}, "1", "2:1(-,3:1(-,4:0))"},
        {{"x"}, "x", "-"},
    };
    for (const Case& c : cases) {
        Trees trees(IndexOrder::ByName);
        RecordId removed = NoRecord;
        for (const char* name : c.inserted) {
            const RecordId id = trees.add(makeRecord(name));
            if (c.removed != nullptr && std::string(name) == c.removed) {
                removed = id;
            }
        }
        if (removed != NoRecord) {
            trees.remove(removed);
        }
        EXPECT_EQ(trees.shape(), c.shape) << c.shape;
    }
}

TEST(OrderedIndexShape, ChainsKeepTheirColoursAtEveryLength) {
    for (const unsigned limit : {0u, OrderedIndex::DefaultPlainWalkLimit}) {
        for (int n = 1; n <= 40; ++n) {
            Trees up(IndexOrder::ByName, limit);
            Trees down(IndexOrder::ByName, limit);
            for (int k = 0; k < n; ++k) {
                char name[8];
                std::snprintf(name, sizeof name, "%03d", k);
                up.add(makeRecord(name));
                std::snprintf(name, sizeof name, "%03d", 999 - k);
                down.add(makeRecord(name));
            }
            up.expectSame("ascending " + std::to_string(n));
            down.expectSame("descending " + std::to_string(n));
        }
    }
}

TEST(OrderedIndexLookup, FindMeetsTheHighestOfEqualNames) {
    Trees trees(IndexOrder::ByName);
    std::vector<RecordId> copies;
    for (const char* name : {"m", "m", "a", "z", "m", "b", "m"}) {
        const RecordId id = trees.add(makeRecord(name));
        if (std::string(name) == "m") {
            copies.push_back(id);
        }
    }
    const auto probe = [](const char* name) { return OrderedIndex::probeOf(name, 0, 0); };
    const auto inReference = [&trees](const char* name) {
        return trees.reference.find([&trees, name](RecordId id) { return compareNames(trees.store.name(id), name); });
    };
    while (!copies.empty()) {
        const RecordId found = trees.index.find(probe("m"));
        ASSERT_EQ(found, inReference("m"));
        trees.remove(found);
        copies.erase(std::find(copies.begin(), copies.end(), found));
        trees.expectSame("after removing an m");
    }
    EXPECT_EQ(trees.index.find(probe("m")), NoRecord);
    EXPECT_EQ(trees.index.find(probe("0")), NoRecord);
    EXPECT_EQ(trees.index.find(probe("zz")), NoRecord);
}

TEST(OrderedIndexLookup, CollectGathersEqualRatingsInPreOrder) {
    Trees trees(IndexOrder::ByRating);
    for (const Record& record : {makeRecord("d", 0, 1, 2), makeRecord("b", 0, 2, 4), makeRecord("x", 0, 9, 1),
                                 makeRecord("a", 0, 3, 6), makeRecord("c", 0, 1, 3), makeRecord("e", 0, 1, 2)}) {
        trees.add(record);
    }
    // Rating order, then name: c(1/3) < a < b < d < e (all 1/2) < x.
    EXPECT_EQ(trees.shape(), "d:1(b:0(a:1(c:0,-),-),x:1(e:0,-))");
    std::vector<RecordId> found;
    trees.index.collectEqualPrimary(OrderedIndex::probeOf("", 1, 2), found);
    std::vector<std::string> names;
    for (const RecordId id : found) {
        names.emplace_back(trees.store.name(id));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"d", "b", "a", "e"}));
    found.clear();
    trees.index.collectEqualPrimary(OrderedIndex::probeOf("", 7, 5), found);
    EXPECT_TRUE(found.empty());
}

#ifndef RECDB_TEST_SIZE_DIVISOR
#define RECDB_TEST_SIZE_DIVISOR 1
#endif
constexpr int SizeDivisor = RECDB_TEST_SIZE_DIVISOR;

// The orders of input that build long chains, and what follows them.
enum class Arrival { Random, Ascending, Descending, Zigzag, HighFirst };
enum class Then { Nothing, RemoveAscending, RemoveDescending, ReinsertDescending };

struct Scenario {
    Arrival arrival;
    int ratings;  // distinct ratings, chosen at random per record
    Then then;
    int count;
};

std::vector<int> arrivalOrder(Arrival arrival, int count, std::mt19937& random) {
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        order[static_cast<std::size_t>(k)] = k;
    }
    switch (arrival) {
    case Arrival::Random:
        std::shuffle(order.begin(), order.end(), random);
        break;
    case Arrival::Ascending:
        break;
    case Arrival::Descending:
        std::reverse(order.begin(), order.end());
        break;
    case Arrival::Zigzag:
        for (int k = 0, low = 0, high = count - 1; k < count; ++k) {
            order[static_cast<std::size_t>(k)] = k % 2 == 0 ? low++ : high--;
        }
        break;
    case Arrival::HighFirst:
        order.front() = count + 1;
        break;
    }
    return order;
}

// Every order of input, in both trees, against the rules step by step: the
// same shapes, colours and collections at checkpoints, and every invariant.
TEST(OrderedIndexReference, EveryOrderOfInputGivesTheTreeOfTheRules) {
    const Scenario scenarios[] = {
        {Arrival::Random, 90, Then::RemoveDescending, 3000},
        {Arrival::Ascending, 90, Then::Nothing, 3000},
        {Arrival::Ascending, 1, Then::RemoveAscending, 3000},
        {Arrival::Ascending, 2, Then::RemoveDescending, 3000},
        {Arrival::Ascending, 5, Then::Nothing, 20000},
        {Arrival::Ascending, 5, Then::ReinsertDescending, 3000},
        {Arrival::Descending, 5, Then::RemoveAscending, 3000},
        {Arrival::Zigzag, 5, Then::RemoveDescending, 3000},
        {Arrival::Zigzag, 2, Then::Nothing, 20000},
        {Arrival::HighFirst, 5, Then::ReinsertDescending, 3000},
    };
    for (const Scenario& scenario : scenarios) {
        for (const IndexOrder order : {IndexOrder::ByName, IndexOrder::ByRating}) {
            for (const unsigned limit : {0u, OrderedIndex::DefaultPlainWalkLimit}) {
                std::mt19937 random(11);
                Trees trees(order, limit);
                const int count = scenario.count / SizeDivisor;
                const std::string label = "arrival " + std::to_string(static_cast<int>(scenario.arrival)) + ", " +
                                          std::to_string(scenario.ratings) + " ratings, order " +
                                          std::to_string(static_cast<int>(order)) + ", limit " + std::to_string(limit);
                std::vector<std::pair<std::string, RecordId>> filed;
                const int checkpoint = std::max(1, count / 4);
                int step = 0;
                for (const int key : arrivalOrder(scenario.arrival, count, random)) {
                    char name[16];
                    std::snprintf(name, sizeof name, "r%08d", key);
                    const int rating = static_cast<int>(random() % static_cast<unsigned>(scenario.ratings));
                    filed.emplace_back(name, trees.add(makeRecord(name, 0, rating, 1)));
                    if (++step % checkpoint == 0) {
                        trees.expectSame(label + " at insert " + std::to_string(step));
                    }
                }
                std::sort(filed.begin(), filed.end());
                if (scenario.then == Then::RemoveDescending || scenario.then == Then::ReinsertDescending) {
                    std::reverse(filed.begin(), filed.end());
                }
                if (scenario.then != Then::Nothing) {
                    for (const auto& [name, id] : filed) {
                        const Record record = trees.store.record(id);
                        trees.remove(id);
                        if (scenario.then == Then::ReinsertDescending) {
                            trees.add(record);
                        }
                        if (++step % checkpoint == 0) {
                            trees.expectSame(label + " at step " + std::to_string(step));
                        }
                    }
                }
                trees.expectSame(label + " at the end");
                for (int rating = 0; order == IndexOrder::ByRating && rating < std::min(scenario.ratings, 3);
                     ++rating) {
                    std::vector<RecordId> found;
                    trees.index.collectEqualPrimary(OrderedIndex::probeOf("", rating, 1), found);
                    ASSERT_EQ(found, trees.reference.collectEqualPrimary([&trees, rating](RecordId id) {
                        return compareRatings(trees.store.ratingNum(id), trees.store.ratingDen(id), rating, 1);
                    })) << label;
                }
            }
        }
    }
}

// Inserts and removals at random with repeated names and repeated ratings
// (as after loading a file that repeats names), checked after every step.
TEST(OrderedIndexReference, RandomMixesWithEqualKeysMatchAfterEveryStep) {
    for (const unsigned limit : {0u, 1u, OrderedIndex::DefaultPlainWalkLimit}) {
        for (const IndexOrder order : {IndexOrder::ByName, IndexOrder::ByRating}) {
            std::mt19937 random(limit * 7 + static_cast<unsigned>(order));
            Trees trees(order, limit);
            std::vector<RecordId> present;
            for (int step = 0; step < 1500; ++step) {
                if (!present.empty() && random() % 3 == 0) {
                    const std::size_t at = random() % present.size();
                    trees.remove(present[at]);
                    present.erase(present.begin() + static_cast<std::ptrdiff_t>(at));
                } else {
                    // Runs of ascending names now and then build chains.
                    const int key = step % 300 < 150 ? static_cast<int>(random() % 200) : step;
                    present.push_back(trees.add(makeRecord(std::to_string(key), 0, static_cast<int>(random() % 4) - 1,
                                                           static_cast<int>(random() % 3))));
                }
                trees.expectSame("step " + std::to_string(step));
                const std::string name = std::to_string(random() % 200);
                const int num = static_cast<int>(random() % 4) - 1;
                const int den = static_cast<int>(random() % 3);
                const Record key = makeRecord(name, 0, num, den);
                ASSERT_EQ(
                    trees.index.find(OrderedIndex::probeOf(name, num, den)), trees.reference.find([&](RecordId id) {
                        const Record stored = trees.store.record(id);
                        return order == IndexOrder::ByName ? compareByName(stored, key) : compareByRating(stored, key);
                    }));
            }
        }
    }
}

// Filing a whole file at once gives the tree of filing its records one by
// one: random, sorted, repeated names, few ratings; and more distinct rating
// pairs than the load's table of pairs holds (4,096), where the sort takes
// its other way, each rating written as two pairs of equal fractions (r.1
// and 2r.2), which must stand together.
TEST(OrderedIndexBulk, InsertAllEqualsInsertingOneByOne) {
    struct Case {
        const char* label;
        int distinctNames;  // 0: all different
        bool sorted;
        int ratings;
        int count;
        bool equalFractions;
    };
    const Case cases[] = {
        {"random", 0, false, 90, 4000, false},
        {"sorted", 0, true, 5, 4000, false},
        {"repeated names", 40, false, 3, 4000, false},
        {"one rating", 0, true, 1, 4000, false},
        {"past the table of rating pairs", 0, false, 9000, 12000, true},
        {"past the table of rating pairs, repeated names", 60, false, 5000, 10000, true},
    };
    for (const Case& c : cases) {
        for (const IndexOrder order : {IndexOrder::ByName, IndexOrder::ByRating}) {
            std::mt19937 random(3);
            RecordStore store;
            OrderedIndex oneByOne(order, store);
            OrderedIndex all(order, store);
            for (int k = 0; k < c.count; ++k) {
                const int key = c.distinctNames > 0
                                    ? static_cast<int>(random() % static_cast<unsigned>(c.distinctNames))
                                : c.sorted ? k
                                           : static_cast<int>(random() % 1000000);
                char name[16];
                std::snprintf(name, sizeof name, "n%07d", key);
                const int rating = static_cast<int>(random() % static_cast<unsigned>(c.ratings));
                const int den = c.equalFractions ? 1 + static_cast<int>(random() % 2) : 1;
                const RecordId id = addRecord(store, makeRecord(name, 0, rating * den, den));
                oneByOne.prepareInsert();
                oneByOne.insert(id);
            }
            all.insertAll(store.size());
            EXPECT_EQ(shapeOf(all, store), shapeOf(oneByOne, store)) << c.label;
            std::string why;
            EXPECT_TRUE(all.invariantsHold(why)) << c.label << ": " << why;
        }
    }
}

// The work of each operation, counted in steps that do not depend on timing,
// stays near a logarithm on every kind of long chain; any repair or lookup
// that walked a chain instead would cost thousands of steps per operation.
TEST(OrderedIndexCost, LongChainsCostALogarithmPerOperation) {
    const int count = 20000;
    const double budget = 8 * std::log2(count);
    for (const Arrival arrival : {Arrival::Ascending, Arrival::Descending, Arrival::Zigzag, Arrival::HighFirst}) {
        for (const int ratings : {1, 5}) {
            std::mt19937 random(5);
            RecordStore store;
            OrderedIndex byName(IndexOrder::ByName, store);
            OrderedIndex byRating(IndexOrder::ByRating, store);
            std::vector<RecordId> ids;
            for (const int key : arrivalOrder(arrival, count, random)) {
                char name[16];
                std::snprintf(name, sizeof name, "r%08d", key);
                ids.push_back(addRecord(
                    store, makeRecord(name, 0, static_cast<int>(random() % static_cast<unsigned>(ratings)), 1)));
                for (OrderedIndex* index : {&byName, &byRating}) {
                    index->prepareInsert();
                    index->insert(ids.back());
                }
            }
            const std::string label = std::to_string(static_cast<int>(arrival)) + "/" + std::to_string(ratings);
            EXPECT_LT(byName.work().total(), budget * count) << "name inserts " << label;
            EXPECT_LT(byRating.work().total(), budget * count) << "rating inserts " << label;

            // Lookups of the deepest name and of a missing one between two.
            const std::uint64_t before = byName.work().total();
            std::sort(ids.begin(), ids.end(),
                      [&store](RecordId a, RecordId b) { return store.name(a) < store.name(b); });
            const std::string deepest(store.name(ids.back()));
            for (int k = 0; k < count; ++k) {
                ASSERT_NE(byName.find(OrderedIndex::probeOf(deepest, 0, 0)), NoRecord);
                ASSERT_EQ(byName.find(OrderedIndex::probeOf("r00005000x", 0, 0)), NoRecord);
            }
            EXPECT_LT(byName.work().total() - before, budget * count) << "lookups " << label;

            // Removals from the far end, then from the near end.
            for (std::size_t k = ids.size(); k-- > ids.size() / 2;) {
                byName.remove(ids[k]);
                byRating.remove(ids[k]);
            }
            for (std::size_t k = 0; k < ids.size() / 2; ++k) {
                byName.remove(ids[k]);
                byRating.remove(ids[k]);
            }
            EXPECT_LT(byName.work().total(), 3 * budget * count) << "name removals " << label;
            EXPECT_LT(byRating.work().total(), 3 * budget * count) << "rating removals " << label;
        }
    }
}

// Many records of one key, as after loading a file that repeats a name: each
// lookup, removal and replacement among them costs about a logarithm, and
// gathering the records of a rating costs about what it gathers. A lookup
// that stepped through the equal keys would cost thousands of steps.
TEST(OrderedIndexCost, EqualKeysCostALogarithmPerOperation) {
    struct Case {
        const char* label;
        int copies;  // of the name "same"; the other records have names of their own
        int others;
        int ratings;
    };
    const Case cases[] = {{"one name fills the index", 20000, 0, 2},
                          {"one name among others", 20000, 20000, 2},
                          {"two ratings, names all different", 0, 20000, 2}};
    for (const Case& c : cases) {
        std::mt19937 random(9);
        RecordStore store;
        std::vector<int> kinds(static_cast<std::size_t>(c.copies), -1);
        for (int k = 0; k < c.others; ++k) {
            kinds.push_back(k);
        }
        std::shuffle(kinds.begin(), kinds.end(), random);
        const auto ratingOf = [&random, &c] { return static_cast<int>(random() % static_cast<unsigned>(c.ratings)); };
        for (const int kind : kinds) {
            addRecord(store, makeRecord(kind < 0 ? "same" : numbered("n", kind), 0, ratingOf(), 1));
        }
        OrderedIndex byName(IndexOrder::ByName, store);
        OrderedIndex byRating(IndexOrder::ByRating, store);
        byName.insertAll(store.size());
        byRating.insertAll(store.size());
        const double budget = 8 * std::log2(static_cast<double>(store.size()));
        const auto work = [&byName, &byRating] { return byName.work().total() + byRating.work().total(); };

        std::vector<RecordId> gathered;
        std::uint64_t before = work();
        byRating.collectEqualPrimary(OrderedIndex::probeOf("", 1, 1), gathered);
        EXPECT_LT(static_cast<double>(work() - before), budget + 3.0 * static_cast<double>(gathered.size())) << c.label;

        // Replace and remove the records of the repeated name, or of the
        // first names, one at a time, as insert and remove requests do.
        const std::string name = c.copies > 0 ? "same" : "n1";
        before = work();
        for (int k = 0; k < 2000; ++k) {
            const RecordId found = byName.find(OrderedIndex::probeOf(name, 0, 0));
            ASSERT_NE(found, NoRecord) << c.label;
            byName.remove(found);
            byRating.remove(found);
            store.erase(found);
            const RecordId fresh = addRecord(store, makeRecord(name, 0, ratingOf(), 1));
            for (OrderedIndex* index : {&byName, &byRating}) {
                index->prepareInsert();
                index->insert(fresh);
            }
        }
        // A replacement is five operations: a lookup, two removals, two inserts.
        EXPECT_LT(static_cast<double>(work() - before), 2000 * 5 * budget) << c.label << ": replacing";
        before = work();
        for (int k = 0; k < 2000; ++k) {
            const RecordId found = byName.find(OrderedIndex::probeOf(c.copies > 0 ? name : numbered("n", 2 + k), 0, 0));
            ASSERT_NE(found, NoRecord) << c.label;
            byName.remove(found);
            byRating.remove(found);
        }
        std::string why;
        EXPECT_TRUE(byName.invariantsHold(why)) << c.label << ": " << why;
        EXPECT_LT(static_cast<double>(work() - before), 2000 * 3 * budget) << c.label << ": removing";
    }
}

}  // namespace
}  // namespace recdb
