#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "request/conditions.hpp"
#include "selection/matching.hpp"
#include "selection/selection.hpp"
#include "selection/sort.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::makeRecord;

Criteria conditions(const std::string& text) {
    Criteria criteria;
    parseConditions(text, criteria);
    return criteria;
}

TEST(Matching, NamePatterns) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"Al*", "Alder", true},  {"Al*", "Al", true},       {"Al*", "alder", false},  {"*er", "Alder", true},
        {"*er", "er", true},     {"*ld*", "Alder", true},   {"A*d*r", "Alder", true}, {"a*b*c", "acb", false},
        {"ab*ba", "abba", true}, {"ab*ba", "aba", false},   {"a**b", "ab", true},     {"*a*a*", "banana", true},
        {"b*nn*a", "banana", false}, {"*", "", true},       {"*", "x", true},         {"Alder", "Alders", false},
        {"**", "a", true},       {"a*", "b", false},        {"*a", "ab", false},      {"x*y*x", "xyx", true},
        {"x*y*x", "xyyx", true}, {"aa*aa", "aaa", false},   {"a*b*c", "abbc", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesPattern(c.name, c.pattern), c.matches) << c.pattern << " ~ " << c.name;
    }
}

TEST(Matching, RatingAndGroupBoundsAreInclusive) {
    const auto rated = [](int num, int den) { return makeRecord("r", 4, num, den); };
    const Criteria half = conditions("rating=1.2");
    EXPECT_EQ(matchesCriteria(rated(2, 4), half), 0);
    EXPECT_EQ(matchesCriteria(rated(3, 6), half), 0);
    EXPECT_EQ(matchesCriteria(rated(1, 3), half), -1);
    EXPECT_EQ(matchesCriteria(rated(5, 0), half), -1);
    const Criteria open = conditions("rating=1.2-*");
    EXPECT_EQ(matchesCriteria(rated(9, 1), open), 0);
    EXPECT_EQ(matchesCriteria(rated(0, 7), open), -1);
    const Criteria zero = conditions("rating=3.0");
    EXPECT_EQ(matchesCriteria(rated(0, 0), zero), 0);
    EXPECT_EQ(matchesCriteria(rated(1, 2), zero), -1);
    const Criteria upTo = conditions("rating=0.0-1.1");
    EXPECT_EQ(matchesCriteria(rated(1, 1), upTo), 0);
    EXPECT_EQ(matchesCriteria(rated(3, 2), upTo), -1);

    EXPECT_EQ(matchesCriteria(makeRecord("g", 2), conditions("group=2-4")), 0);
    EXPECT_EQ(matchesCriteria(makeRecord("g", 4), conditions("group=2-4")), 0);
    EXPECT_EQ(matchesCriteria(makeRecord("g", 5), conditions("group=2-4")), -1);
    EXPECT_EQ(matchesCriteria(makeRecord("g", 0), conditions("group=3-*")), -1);
    EXPECT_EQ(matchesCriteria(makeRecord("g", -1), conditions("group=0-5")), -1);
    EXPECT_EQ(matchesCriteria(makeRecord("anything", -9, 1, 0), conditions("")), 0);
    EXPECT_EQ(compareByGroup(makeRecord("a", 3), makeRecord("B", 3)), 2);
    EXPECT_EQ(compareByGroup(makeRecord("a", 5), makeRecord("a", 3)), 1);
}

std::vector<std::string> namesOf(const Selection& selection) {
    std::vector<std::string> names;
    for (const RefNode& ref : selection.entries) {
        names.emplace_back(ref.record->record.nameView());
    }
    return names;
}

class SelectTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.insert(makeRecord("d", 3, 1, 2));
        db.insert(makeRecord("b", 2, 2, 4));
        db.insert(makeRecord("x", 4, 9, 1));
        db.insert(makeRecord("a", 3, 3, 6));
        db.insert(makeRecord("c", 2, 1, 3));
        db.insert(makeRecord("e", 0, 1, 2));
    }
    std::vector<std::string> select(const std::string& text) {
        selectRecords(db, selection, conditions(text));
        return namesOf(selection);
    }
    using Names = std::vector<std::string>;
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
    reselectRecords(selection, conditions("group=3"));
    EXPECT_EQ(namesOf(selection), (Names{"d", "a"}));
    reselectRecords(selection, conditions("group=1-9"));
    EXPECT_EQ(namesOf(selection), (Names{"d", "a"}));
    reselectRecords(selection, conditions("name=q"));
    EXPECT_TRUE(selection.entries.isEmpty());
}

// The partition sort exactly as its steps read, on the linked nodes.
void referenceSortRange(RefNode* first, RefNode* last, RecordComparison compare) {
    const Record pivot = first->record->record;
    RefNode* i = static_cast<RefNode*>(first->prev);
    RefNode* j = static_cast<RefNode*>(last->next);
    for (;;) {
        bool met = false;
        do {
            j = static_cast<RefNode*>(j->prev);
            met = met || j == i;
        } while (compare(j->record->record, pivot) > 0);
        do {
            i = static_cast<RefNode*>(i->next);
            met = met || i == j;
        } while (compare(i->record->record, pivot) < 0);
        if (met) {
            break;
        }
        std::swap(i->record, j->record);
    }
    if (j != last && j->next != last) {
        referenceSortRange(static_cast<RefNode*>(j->next), last, compare);
    }
    if (j != first) {
        referenceSortRange(first, j, compare);
    }
}

RecordComparison comparisonOf(RecordOrder order) {
    switch (order) {
    case RecordOrder::ByName:
        return compareByName;
    case RecordOrder::ByRating:
        return compareByRating;
    case RecordOrder::ByGroup:
        break;
    }
    return compareByGroup;
}

std::vector<const RecordNode*> order(const RecordRefList& list) {
    std::vector<const RecordNode*> nodes;
    for (const RefNode& ref : list) {
        nodes.push_back(ref.record);
    }
    return nodes;
}

TEST(Sort, MatchesThePartitionStepsAlsoWithTies) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        RecordList records;
        const int size = 1 + static_cast<int>(random() % 60);
        const int distinct = 1 + static_cast<int>(random() % 20);
        for (int k = 0; k < size; ++k) {
            records.append(makeRecord(std::string(1, static_cast<char>('a' + random() % distinct)),
                                      static_cast<int>(random() % 3), static_cast<int>(random() % 3),
                                      static_cast<int>(random() % 3)));
        }
        for (const RecordOrder recordOrder : {RecordOrder::ByName, RecordOrder::ByGroup, RecordOrder::ByRating}) {
            const RecordComparison compare = comparisonOf(recordOrder);
            std::vector<RecordNode*> input;
            for (RecordNode& node : records) {
                input.push_back(&node);
            }
            const auto ascending = [compare](const RecordNode* a, const RecordNode* b) {
                return compare(a->record, b->record) < 0;
            };
            if (round % 3 == 1) {
                std::stable_sort(input.begin(), input.end(), ascending);
            } else if (round % 3 == 2) {
                std::stable_sort(input.rbegin(), input.rend(), ascending);
            }
            RecordRefList actual;
            RecordRefList expected;
            for (RecordNode* node : input) {
                actual.append(node);
                expected.append(node);
            }
            if (size > 1) {
                referenceSortRange(&*expected.begin(), &*--expected.end(), compare);
            }
            EXPECT_EQ(sort(actual, recordOrder), 0);
            ASSERT_EQ(order(actual), order(expected)) << "round " << round;
        }
    }
    RecordRefList empty;
    EXPECT_EQ(sort(empty, RecordOrder::ByName), -1);
}

TEST(Sort, OrderedInputOfAMillionIsNotQuadraticAlsoWithTies) {
    for (const int copies : {1, 2}) {
        RecordList records;
        RecordRefList list;
        for (int k = 0; k < 1000000; ++k) {
            char name[16];
            std::snprintf(name, sizeof name, "%07d", k / copies);
            list.append(records.append(makeRecord(name, k)));
        }
        sort(list, RecordOrder::ByName);
        EXPECT_EQ(list.begin()->record->record.nameView(), "0000000");
        EXPECT_EQ((--list.end())->record->record.nameView(), copies == 1 ? "0999999" : "0499999");
    }
}

}  // namespace
}  // namespace recdb
