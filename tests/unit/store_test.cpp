#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "store/database.hpp"
#include "store/group_index.hpp"
#include "store/record_compare.hpp"
#include "store/record_ref_list.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::makeRecord;

std::vector<std::string> namesOf(const RecordList& list) {
    std::vector<std::string> names;
    for (const RecordNode& node : list) {
        names.emplace_back(node.record.nameView());
    }
    return names;
}

std::vector<std::string> namesOf(const RecordRefList& list) {
    std::vector<std::string> names;
    for (const RefNode& ref : list) {
        names.emplace_back(ref.record->record.nameView());
    }
    return names;
}

TEST(Record, CopiesKeepAbsentAndEmptyInfoApartAndNamesAreCut) {
    const Record absent = makeRecord("a");
    const Record empty = makeRecord("b", 0, 0, 0, "");
    Record copy = absent;
    EXPECT_FALSE(copy.info.has_value());
    copy = empty;
    ASSERT_TRUE(copy.info.has_value());
    EXPECT_EQ(*copy.info, "");

    const std::string name63(63, 'x');
    EXPECT_EQ(makeRecord(name63).nameView(), name63);
    EXPECT_EQ(makeRecord(name63 + "yz").nameView(), name63);
    EXPECT_EQ(makeRecord(std::string("ab\0cd", 5)).nameView(), "ab");
}

TEST(RecordLists, AppendRemoveAndClearKeepOrderAndCount) {
    RecordList list;
    EXPECT_TRUE(list.isEmpty());
    RecordNode* a = list.append(makeRecord("A"));
    RecordNode* b = list.append(makeRecord("B"));
    list.append(makeRecord("C"));
    list.removeNode(b);
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{"A", "C"}));

    RecordRefList refs;
    RefNode* first = refs.append(a);
    refs.append(a);
    refs.erase(first);
    EXPECT_EQ(refs.size(), 1u);
    EXPECT_EQ(refs.begin()->record, a);
    list.clear();
    EXPECT_EQ(list.size(), 0u);
}

TEST(Comparisons, FollowByteOrderAndFractionOrder) {
    EXPECT_EQ(compareByName(makeRecord("abc"), makeRecord("abd")), -1);
    EXPECT_EQ(compareByName(makeRecord("ab"), makeRecord("abc")), -1);
    EXPECT_EQ(compareByName(makeRecord("\xC0"), makeRecord("zzz")), 1);
    EXPECT_EQ(compareByName(makeRecord("same"), makeRecord("same")), 0);

    const auto rating = [](const char* name, int num, int den) { return makeRecord(name, 0, num, den); };
    EXPECT_EQ(compareByRating(rating("a", 1, 2), rating("b", 2, 4)), -2);
    EXPECT_EQ(compareByRating(rating("b", 1, 2), rating("a", 2, 4)), 2);
    EXPECT_EQ(compareByRating(rating("a", 5, 0), rating("b", -3, 1)), -1);
    EXPECT_EQ(compareByRating(rating("a", 5, 0), rating("a", 0, 0)), 0);
    EXPECT_EQ(compareByRating(rating("a", 1, 3), rating("a", 1, 2)), -1);
    // Negative second parts and large numbers keep the true fraction order,
    // so 1.1 < 1.-1 < -2.1 < 1.1 cannot happen.
    EXPECT_EQ(compareByRating(rating("a", 1, -1), rating("a", 1, 1)), -1);
    EXPECT_EQ(compareByRating(rating("a", -2, 1), rating("a", 1, -1)), -1);
    EXPECT_EQ(compareByRating(rating("a", 2147483647, 1), rating("a", 2147483647, 2)), 1);
    EXPECT_EQ(compareByRating(rating("a", -2147483647 - 1, -1), rating("a", 2147483647, 1)), 1);
}

TEST(GroupIndex, KeysHashesAndCollisions) {
    EXPECT_EQ(groupKeyText(7), "7");
    EXPECT_EQ(groupKeyText(-12), "-12");
    EXPECT_EQ(groupKeyText(0), "");
    EXPECT_EQ(groupKeyText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(groupHash(""), 0);
    EXPECT_EQ(groupHash("7"), 55);
    EXPECT_EQ(groupHash("70"), (55 * 31 + 48) % 256);

    // Two groups whose key texts fall into one bucket.
    std::int32_t first = 1;
    std::int32_t second = 2;
    while (groupHash(groupKeyText(second)) != groupHash(groupKeyText(first))) {
        ++second;
    }
    GroupIndex index;
    index.add(first);
    index.add(second);
    index.add(0);
    EXPECT_EQ(index.bucketSize(groupHash(groupKeyText(first))), 2u);
    ASSERT_NE(index.find(first), nullptr);
    EXPECT_EQ(index.find(second)->group, second);
    EXPECT_EQ(index.bucketSize(0), 1u);
    EXPECT_EQ(index.find(-1), nullptr);
    index.remove(index.find(first));
    EXPECT_EQ(index.find(first), nullptr);
    EXPECT_NE(index.find(second), nullptr);

    for (std::int32_t group : {-5, 5, 300, 1000, 70, 7, -2147483647 - 1, 2147483647}) {
        index.add(group);
    }
    const auto groupsIn = [&index](std::int32_t low, std::int32_t high) {
        std::vector<std::int32_t> visited;
        for (const GroupEntry* entry : index.entriesInRange(low, high)) {
            visited.push_back(entry->group);
        }
        return visited;
    };
    ASSERT_EQ(second, 122);
    EXPECT_EQ(groupsIn(0, 2147483647), (std::vector<std::int32_t>{0, 5, 7, 70, 122, 300, 1000, 2147483647}));
    EXPECT_EQ(groupsIn(6, 300), (std::vector<std::int32_t>{7, 70, 122, 300}));
    EXPECT_EQ(groupsIn(-2147483647 - 1, -1), (std::vector<std::int32_t>{-2147483647 - 1, -5}));
    EXPECT_TRUE(groupsIn(8, 69).empty());
    EXPECT_TRUE(groupsIn(5, 4).empty());
    index.clear();
    EXPECT_EQ(index.find(0), nullptr);
}

// Every record is in the list and in all three indexes, or in none.
void expectIndexesInStep(const Database& db) {
    std::size_t filed = 0;
    for (const RecordNode& node : db.records()) {
        ASSERT_NE(node.nameNode, nullptr);
        ASSERT_EQ(node.nameNode->record, &node);
        ASSERT_EQ(node.ratingNode->record, &node);
        ASSERT_EQ(node.groupEntry, db.groups().find(node.record.group));
        ASSERT_EQ(node.groupRef->record, &node);
        ++filed;
    }
    std::size_t grouped = 0;
    for (const GroupEntry* entry : db.groups().entriesInRange(-2147483647 - 1, 2147483647)) {
        grouped += entry->records.size();
    }
    EXPECT_EQ(grouped, filed);
}

TEST(Database, InsertAndRemoveKeepEveryIndexInStep) {
    Database db;
    db.insert(makeRecord("a", 7, 1, 2));
    db.insert(makeRecord("b", 7, 2, 4));
    db.insert(makeRecord("c", 0));
    db.insert(makeRecord("d", 7));
    expectIndexesInStep(db);
    EXPECT_EQ(namesOf(db.groups().find(7)->records), (std::vector<std::string>{"a", "b", "d"}));

    EXPECT_EQ(db.remove("b"), 0);
    EXPECT_EQ(namesOf(db.groups().find(7)->records), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(db.remove("c"), 0);
    EXPECT_EQ(db.groups().find(0), nullptr);
    EXPECT_EQ(db.remove("c"), 1);
    expectIndexesInStep(db);

    db.insert(makeRecord("a", 9));
    EXPECT_EQ(db.remove("a"), 0);
    EXPECT_EQ(db.remove("a"), 0);
    EXPECT_EQ(db.remove("a"), 1);
    EXPECT_EQ(db.groups().find(9), nullptr);
    EXPECT_EQ(namesOf(db.records()), (std::vector<std::string>{"d"}));
    expectIndexesInStep(db);
    db.clear();
    EXPECT_TRUE(db.records().isEmpty());
    EXPECT_EQ(db.nameIndex().root(), nullptr);
}

TEST(Database, ReplaceEqualsRemoveThenInsert) {
    Database replaced;
    Database stepwise;
    std::mt19937 random(9);
    for (int step = 0; step < 3000; ++step) {
        const int key = step % 500 < 250 ? static_cast<int>(random() % 400) : step;
        const Record record = makeRecord(std::to_string(key), key % 7, key % 5, 1);
        EXPECT_EQ(replaced.replace(record), stepwise.remove(record.nameView()) == 0);
        stepwise.insert(record);
    }
    EXPECT_EQ(namesOf(replaced.records()), namesOf(stepwise.records()));
    EXPECT_EQ(testing::shapeOf(replaced.nameIndex().root()), testing::shapeOf(stepwise.nameIndex().root()));
    EXPECT_EQ(testing::shapeOf(replaced.ratingIndex().root()), testing::shapeOf(stepwise.ratingIndex().root()));
    expectIndexesInStep(replaced);
}

}  // namespace
}  // namespace recdb
