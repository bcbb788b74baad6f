#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "request/conditions.hpp"
#include "selection/matching.hpp"
#include "selection/min_max_tree.hpp"
#include "selection/selection.hpp"
#include "selection/sort.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::addRecord;
using testing::compareByGroup;
using testing::compareByName;
using testing::compareByRating;
using testing::makeRecord;

std::size_t pick(std::mt19937& random, std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
}

TEST(Matching, NamePatterns) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"Al*", "Alder", true},      {"Al*", "Al", true},     {"Al*", "alder", false},  {"*er", "Alder", true},
        {"*er", "er", true},         {"*ld*", "Alder", true}, {"A*d*r", "Alder", true}, {"a*b*c", "acb", false},
        {"ab*ba", "abba", true},     {"ab*ba", "aba", false}, {"a**b", "ab", true},     {"*a*a*", "banana", true},
        {"b*nn*a", "banana", false}, {"*", "", true},         {"*", "x", true},         {"Alder", "Alders", false},
        {"**", "a", true},           {"a*", "b", false},      {"*a", "ab", false},      {"x*y*x", "xyx", true},
        {"x*y*x", "xyyx", true},     {"aa*aa", "aaa", false}, {"a*b*c", "abbc", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesPattern(c.name, c.pattern), c.matches) << c.pattern << " ~ " << c.name;
    }
}

TEST(Matching, RatingAndGroupBoundsAreInclusive) {
    struct Case {
        const char* conditions;
        Record record;
        bool matches;
    };
    const Case cases[] = {
        {"rating=1.2", makeRecord("r", 4, 2, 4), true},
        {"rating=1.2", makeRecord("r", 4, 3, 6), true},
        {"rating=1.2", makeRecord("r", 4, 1, 3), false},
        {"rating=1.2", makeRecord("r", 4, 5, 0), false},
        {"rating=1.2-*", makeRecord("r", 4, 9, 1), true},
        {"rating=1.2-*", makeRecord("r", 4, 0, 7), false},
        {"rating=3.0", makeRecord("r", 4, 0, 0), true},
        {"rating=3.0", makeRecord("r", 4, 1, 2), false},
        {"rating=0.0-1.1", makeRecord("r", 4, 1, 1), true},
        {"rating=0.0-1.1", makeRecord("r", 4, 3, 2), false},
        {"group=2-4", makeRecord("g", 2), true},
        {"group=2-4", makeRecord("g", 4), true},
        {"group=2-4", makeRecord("g", 5), false},
        {"group=3-*", makeRecord("g", 0), false},
        {"group=0-5", makeRecord("g", -1), false},
        {"", makeRecord("any", -9, 1, 0), true},
        {"rating=*-0.1", makeRecord("r", 0, 5, 1), true},
    };
    for (const Case& c : cases) {
        RecordStore store;
        const RecordId id = addRecord(store, c.record);
        EXPECT_EQ(matchesCriteria(store, id, parseConditions(c.conditions)), c.matches) << c.conditions;
    }
}

class SelectTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const Record& record : {makeRecord("d", 3, 1, 2), makeRecord("b", 2, 2, 4), makeRecord("x", 4, 9, 1),
                                     makeRecord("a", 3, 3, 6), makeRecord("c", 2, 1, 3), makeRecord("e", 0, 1, 2)}) {
            db.replace(record.view());
        }
    }
    using Names = std::vector<std::string>;
    Names names() const {
        Names found;
        for (const RecordId id : selection.records) {
            found.emplace_back(db.records().name(id));
        }
        return found;
    }
    Names select(const std::string& text) {
        EXPECT_TRUE(selectRecords(db, selection, parseConditions(text)));
        return names();
    }
    Database db;
    Selection selection;
};

TEST_F(SelectTest, EachStrategyDeliversItsOwnOrder) {
    EXPECT_EQ(select(""), (Names{"d", "b", "x", "a", "c", "e"}));
    EXPECT_EQ(select("name=a"), (Names{"a"}));
    EXPECT_EQ(select("name=a group=9"), Names{});
    EXPECT_EQ(select("name=zz"), Names{});
    // The rating tree holds d:1(b:0(a:1(c:0,-),-),x:1(e:0,-)); equal ratings
    // come in its pre-order.
    EXPECT_EQ(select("rating=1.2"), (Names{"d", "b", "a", "e"}));
    EXPECT_EQ(select("rating=1.2-2.4"), (Names{"d", "b", "a", "e"}));
    EXPECT_EQ(select("rating=1.2 group=3"), (Names{"d", "a"}));
    EXPECT_EQ(select("group=0-3"), (Names{"e", "b", "c", "d", "a"}));
    EXPECT_EQ(select("group=0-2147483647 rating=1.3-1.2"), (Names{"e", "b", "c", "d", "a"}));
    EXPECT_EQ(select("group=4-2"), Names{});
    EXPECT_EQ(select("name=* rating=1.2-*"), (Names{"d", "b", "x", "a", "e"}));
}

TEST_F(SelectTest, ReselectNarrowsInPlace) {
    select("group=2-4");
    for (const auto& [conditions, expected] : std::vector<std::pair<const char*, Names>>{
             {"group=3", {"d", "a"}}, {"group=1-9", {"d", "a"}}, {"name=q", {}}}) {
        reselectRecords(db.records(), selection, parseConditions(conditions));
        EXPECT_EQ(names(), expected) << conditions;
    }
}

// The partition sort exactly as its steps read, on a list of positions.
void referenceSortRange(std::vector<RecordId>& ids, std::ptrdiff_t first, std::ptrdiff_t last,
                        const std::function<Relation(RecordId, RecordId)>& compare) {
    const RecordId pivot = ids[static_cast<std::size_t>(first)];
    std::ptrdiff_t i = first - 1;
    std::ptrdiff_t j = last + 1;
    for (;;) {
        bool met = false;
        do {
            --j;
            met = met || j == i;
        } while (isAbove(compare(ids[static_cast<std::size_t>(j)], pivot)));
        do {
            ++i;
            met = met || i == j;
        } while (isBelow(compare(ids[static_cast<std::size_t>(i)], pivot)));
        if (met) {
            break;
        }
        std::swap(ids[static_cast<std::size_t>(i)], ids[static_cast<std::size_t>(j)]);
    }
    if (j != last && j + 1 != last) {
        referenceSortRange(ids, j + 1, last, compare);
    }
    if (j != first) {
        referenceSortRange(ids, first, j, compare);
    }
}

TEST(Sort, MatchesThePartitionStepsAlsoWithTies) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        RecordStore store;
        const int size = 1 + static_cast<int>(random() % 60);
        const int distinct = 1 + static_cast<int>(random() % 20);
        // Names that share 8-byte prefixes, ratings whose floats collide or
        // whose fractions are equal, and groups at both ends.
        const std::pair<int, int> ratings[] = {{0, 0},
                                               {5, 0},
                                               {1, 2},
                                               {2, 4},
                                               {-1, -2},
                                               {1, 1},
                                               {-3, 1},
                                               {1, -3},
                                               {INT32_MAX, INT32_MAX - 1},
                                               {INT32_MAX - 1, INT32_MAX - 2}};
        const int groups[] = {0, 1, -1, INT32_MIN, INT32_MAX};
        std::vector<RecordId> input;
        for (int k = 0; k < size; ++k) {
            const auto letter = static_cast<char>('a' + static_cast<int>(random() % static_cast<unsigned>(distinct)));
            const std::string name = round % 2 == 0 ? std::string(1, letter) : "abcdefgh" + std::string(1, letter);
            const auto [num, den] = ratings[random() % std::size(ratings)];
            input.push_back(addRecord(store, makeRecord(name, groups[random() % std::size(groups)], num, den)));
        }
        const std::pair<RecordOrder, Relation (*)(const Record&, const Record&)> orders[] = {
            {RecordOrder::ByName, compareByName},
            {RecordOrder::ByGroup, compareByGroup},
            {RecordOrder::ByRating, compareByRating}};
        for (const auto& [order, comparison] : orders) {
            const auto compare = [&store, comparison](RecordId a, RecordId b) {
                return comparison(store.record(a), store.record(b));
            };
            std::vector<RecordId> ids = input;
            const auto ascending = [&compare](RecordId a, RecordId b) { return isBelow(compare(a, b)); };
            if (round % 3 == 1) {
                std::stable_sort(ids.begin(), ids.end(), ascending);
            } else if (round % 3 == 2) {
                std::stable_sort(ids.rbegin(), ids.rend(), ascending);
            }
            std::vector<RecordId> expected = ids;
            referenceSortRange(expected, 0, static_cast<std::ptrdiff_t>(expected.size()) - 1, compare);
            ASSERT_TRUE(sort(store, ids, order));
            ASSERT_EQ(ids, expected) << "round " << round;
        }
    }
}

// The work of a sort, counted by the sort itself, stays near n log n on
// input that makes a partition sort quadratic: a million records in order, or
// against it, in each order, with every record unique or with each key twice
// (ties make the partition steps themselves decide the order).
TEST(Sort, OrderedInputOfAMillionCostsNLogN) {
    struct Case {
        RecordOrder order;
        int copies;
        bool descending;
    };
    const Case cases[] = {{RecordOrder::ByName, 1, false},  {RecordOrder::ByName, 2, false},
                          {RecordOrder::ByName, 2, true},   {RecordOrder::ByGroup, 2, false},
                          {RecordOrder::ByRating, 2, true}, {RecordOrder::ByRating, 1, false}};
    const int count = 1000000;
    RecordStore store;
    store.reserve(count);
    std::vector<std::vector<RecordId>> inputs(3);  // by copies: 1, 2
    for (const int copies : {1, 2}) {
        for (int k = 0; k < count; ++k) {
            char name[16];
            std::snprintf(name, sizeof name, "%07d", k / copies);
            inputs[static_cast<std::size_t>(copies)].push_back(
                addRecord(store, makeRecord(name, k / copies, k / copies, 7)));
        }
    }
    const double budget = 8 * count * std::log2(count);
    for (const Case& c : cases) {
        const std::string label = std::to_string(static_cast<int>(c.order)) + ", copies " + std::to_string(c.copies) +
                                  (c.descending ? ", descending" : ", ascending");
        std::vector<RecordId> ids = inputs[static_cast<std::size_t>(c.copies)];
        if (c.descending) {
            std::reverse(ids.begin(), ids.end());
        }
        SortWork work;
        ASSERT_TRUE(sort(store, ids, c.order, work)) << label;
        EXPECT_EQ(store.name(ids.front()), "0000000") << label;
        EXPECT_EQ(store.name(ids.back()), c.copies == 1 ? "0999999" : "0499999") << label;
        EXPECT_LT(static_cast<double>(work.total()), budget) << label;
    }
}

// Past the table of rating pairs (4,096 of them) the sort can no longer tell
// which float codes stand for more than one rating, and settles every run of
// one code by the full comparison: here 1 and 16777217/16777216, which share
// the code of 1.0f, come after the table is full, with names that sort
// against their ratings.
TEST(Sort, RatingsPastThePairsTableKeepTheFractionOrder) {
    for (const int filler : {4000, 4096, 5000}) {
        RecordStore store;
        std::vector<RecordId> ids;
        for (int k = 0; k < filler; ++k) {
            ids.push_back(addRecord(store, makeRecord(testing::numbered("m", k), 0, k + 2, 1)));
        }
        for (int k = 0; k < 50; ++k) {
            ids.push_back(addRecord(store, makeRecord(testing::numbered("b", k), 0, 16777217, 16777216)));
            ids.push_back(addRecord(store, makeRecord(testing::numbered("c", k), 0, 2, 2)));
            ids.push_back(addRecord(store, makeRecord(testing::numbered("a", k), 0, 1, 1)));
        }
        std::vector<RecordId> expected = ids;
        std::sort(expected.begin(), expected.end(), [&store](RecordId a, RecordId b) {
            return isBelow(compareByRating(store.record(a), store.record(b)));
        });
        ASSERT_TRUE(sort(store, ids, RecordOrder::ByRating)) << filler;
        EXPECT_EQ(ids, expected) << filler << " ratings before";
    }
}

TEST(MinMaxTree, FindsInRangesWhatAScanOfTheArrayFinds) {
    struct Case {
        std::size_t size;
        std::uint32_t ranks;  // drawn from 0..ranks-1
    };
    // Sizes at and around powers of two, with many ties and with few.
    const Case cases[] = {{1, 3}, {2, 3}, {3, 4}, {7, 4}, {8, 8}, {9, 8}, {100, 10}, {1000, 1000}, {1025, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        std::mt19937 random(static_cast<unsigned>(c.size));
        const auto anyRank = [&] { return static_cast<std::uint32_t>(random() % c.ranks); };
        std::vector<std::uint32_t> ranks(c.size);
        std::generate(ranks.begin(), ranks.end(), anyRank);
        MinMaxTree tree(ranks);
        for (int step = 0; step < 3000; ++step) {
            const std::size_t first = pick(random, c.size);
            if (step % 3 == 0) {
                ranks[first] = anyRank();
                tree.set(first, ranks[first]);
                continue;
            }
            // Ranges run either way (a reversed one is empty); p may lie
            // beyond every rank.
            const std::size_t last = pick(random, c.size);
            const auto p = static_cast<std::uint32_t>(random() % (c.ranks + 1));
            std::size_t lastAtMost = MinMaxTree::None;
            std::size_t firstAtLeast = MinMaxTree::None;
            for (std::size_t k = first; k <= last; ++k) {
                lastAtMost = ranks[k] <= p ? k : lastAtMost;
                firstAtLeast = ranks[k] >= p && firstAtLeast == MinMaxTree::None ? k : firstAtLeast;
            }
            ASSERT_EQ(tree.lastAtMost(first, last, p), lastAtMost) << first << ".." << last << " p " << p;
            ASSERT_EQ(tree.firstAtLeast(first, last, p), firstAtLeast) << first << ".." << last << " p " << p;
        }
    }
}

}  // namespace
}  // namespace recdb
