#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "store/database.hpp"
#include "store/name_table.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::addRecord;
using testing::compareByGroup;
using testing::compareByName;
using testing::compareByRating;
using testing::makeRecord;
using testing::numbered;

std::vector<std::string> namesInFilingOrder(const RecordStore& store) {
    std::vector<std::string> names;
    for (RecordId id = store.first(); id != NoRecord; id = store.next(id)) {
        names.emplace_back(store.name(id));
    }
    return names;
}

std::vector<std::string> namesOfGroup(const Database& db, std::int32_t group) {
    std::vector<std::string> names;
    db.groups().forEachInRange(group, group, [&](RecordId id) { names.emplace_back(db.records().name(id)); });
    return names;
}

void expectConsistent(const Database& db) {
    std::string why;
    EXPECT_TRUE(db.invariantsHold(why)) << why;
}

TEST(Record, CopiesKeepAbsentAndEmptyInfoApartAndNamesAreCut) {
    RecordStore store;
    const RecordId absent = addRecord(store, makeRecord("a"));
    const RecordId empty = addRecord(store, makeRecord("b", 0, 0, 0, ""));
    EXPECT_FALSE(store.info(absent).has_value());
    ASSERT_TRUE(store.info(empty).has_value());
    EXPECT_EQ(*store.info(empty), "");

    const std::string name63(63, 'x');
    EXPECT_EQ(makeRecord(name63).nameView(), name63);
    EXPECT_EQ(makeRecord(name63 + "yz").nameView(), name63);
    EXPECT_EQ(makeRecord(std::string("ab\0cd", 5)).nameView(), "ab");
    // Texts of every size round-trip through the arena, also beyond a block.
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{127}, std::size_t{128}, std::size_t{20000}, std::size_t{3} << 20}) {
        const RecordId id = addRecord(store, makeRecord("big", 1, 2, 3, std::string(size, 'i')));
        EXPECT_EQ(store.info(id)->size(), size);
        EXPECT_EQ(store.name(id), "big");
    }
}

TEST(RecordStore, NumbersAreReusedAndTextsCompacted) {
    RecordStore store;
    std::vector<RecordId> ids;
    for (int k = 0; k < 4; ++k) {
        ids.push_back(addRecord(store, makeRecord(numbered("r", k))));
    }
    store.erase(ids[1]);
    EXPECT_EQ(addRecord(store, makeRecord("new")), ids[1]);
    EXPECT_EQ(namesInFilingOrder(store), (std::vector<std::string>{"r0", "r2", "r3", "new"}));
    // Replacing the same records over and over gives the texts' room back.
    const std::string info(1000, 'i');
    for (int round = 0; round < 100000; ++round) {
        const RecordId id = ids[static_cast<std::size_t>(round % 3)];
        store.erase(id);
        ASSERT_EQ(addRecord(store, makeRecord(numbered("r", round), 0, 0, 0, info)), id);
    }
    EXPECT_LT(store.textBytesHeld(), std::size_t{64} << 20);
    EXPECT_EQ(store.size(), 4u);
    EXPECT_EQ(store.info(ids[0])->size(), 1000u);
}

TEST(Comparisons, FollowByteOrderAndFractionOrder) {
    struct Case {
        Record a;
        Record b;
        Relation byName;
        Relation byRating;
        Relation byGroup;
    };
    constexpr Relation B = Relation::Below;
    constexpr Relation NB = Relation::SameKeyNameBelow;
    constexpr Relation S = Relation::Same;
    constexpr Relation NA = Relation::SameKeyNameAbove;
    constexpr Relation A = Relation::Above;
    const Case cases[] = {
        {makeRecord("abc"), makeRecord("abd"), B, NB, NB},
        {makeRecord("ab"), makeRecord("abc"), B, NB, NB},
        {makeRecord("\xC0"), makeRecord("zzz"), A, NA, NA},
        {makeRecord("same"), makeRecord("same"), S, S, S},
        {makeRecord("a", 0, 1, 2), makeRecord("b", 0, 2, 4), B, NB, NB},
        {makeRecord("a", 0, 5, 0), makeRecord("b", 0, -3, 1), B, B, NB},
        {makeRecord("a", 0, 5, 0), makeRecord("a", 0, 0, 0), S, S, S},
        {makeRecord("a", 0, 1, 3), makeRecord("a", 0, 1, 2), S, B, S},
        // Negative second parts and large numbers keep the true fraction order.
        {makeRecord("a", 0, 1, -1), makeRecord("a", 0, 1, 1), S, B, S},
        {makeRecord("a", 0, -2, 1), makeRecord("a", 0, 1, -1), S, B, S},
        {makeRecord("a", 0, 2147483647, 1), makeRecord("a", 0, 2147483647, 2), S, A, S},
        {makeRecord("a", 0, -2147483647 - 1, -1), makeRecord("a", 0, 2147483647, 1), S, A, S},
        {makeRecord("a", -3), makeRecord("B", 7), A, NA, B},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compareByName(c.a, c.b), c.byName) << c.a.nameView() << " " << c.b.nameView();
        EXPECT_EQ(compareByRating(c.a, c.b), c.byRating) << c.a.nameView() << " " << c.b.nameView();
        EXPECT_EQ(compareByGroup(c.a, c.b), c.byGroup) << c.a.nameView() << " " << c.b.nameView();
        EXPECT_EQ(compareByRating(c.b, c.a), reversed(c.byRating));
    }
    // The inline keys decide exactly as the comparisons do.
    std::mt19937 random(5);
    const std::int32_t numbers[] = {0, 1, -1, 2, 3, -2147483647 - 1, 2147483647, 6, -6, 4};
    const char* names[] = {"", "a", "ab", "abcdefgh", "abcdefghi", "abcdefgh\xC0", "abcdefgi", "\xFF", "b", "a\x01"};
    std::vector<Record> records;
    for (int k = 0; k < 300; ++k) {
        records.push_back(makeRecord(names[random() % 10], 0, numbers[random() % 10], numbers[random() % 10]));
    }
    for (const Record& a : records) {
        for (const Record& b : records) {
            const IndexKey keyA = indexKeyOf(a.nameView(), a.ratingNum, a.ratingDen);
            const IndexKey keyB = indexKeyOf(b.nameView(), b.ratingNum, b.ratingDen);
            const auto nameA = [&a] { return a.nameView(); };
            const auto nameB = [&b] { return b.nameView(); };
            ASSERT_EQ(compareKeyed(IndexOrder::ByName, keyA, nameA, keyB, nameB), compareByName(a, b));
            ASSERT_EQ(compareKeyed(IndexOrder::ByRating, keyA, nameA, keyB, nameB), compareByRating(a, b));
        }
    }
}

// The hash table against a map, with removals that close gaps in the runs.
TEST(NameTable, FindsExactlyThePresentNames) {
    RecordStore store;
    NameTable table(store);
    std::map<std::string, RecordId> expected;
    std::mt19937 random(4);
    for (int step = 0; step < 20000; ++step) {
        const std::string name = numbered("n", static_cast<long>(random() % 3000));
        const auto found = expected.find(name);
        if (found != expected.end()) {
            table.remove(found->second);
            store.erase(found->second);
            expected.erase(found);
        } else {
            const RecordId id = addRecord(store, makeRecord(name));
            table.prepareInsert();
            table.insert(id);
            expected.emplace(name, id);
        }
        const std::string probe = numbered("n", static_cast<long>(random() % 3000));
        const auto wanted = expected.find(probe);
        ASSERT_EQ(table.find(probe), wanted == expected.end() ? NoRecord : wanted->second) << step;
    }
    EXPECT_EQ(table.size(), expected.size());
}

TEST(GroupIndex, RangesVisitOnlyExistingGroupsInOrder) {
    Database db;
    for (const std::int32_t group : {-5, 5, 300, 1000, 70, 7, -2147483647 - 1, 2147483647, 0, 7}) {
        db.replace(
            makeRecord(numbered("g", group) + numbered("_", static_cast<long>(db.records().size())), group).view());
    }
    const auto groupsIn = [&db](std::int32_t low, std::int32_t high) {
        std::vector<std::int32_t> visited;
        db.groups().forEachInRange(low, high, [&](RecordId id) { visited.push_back(db.records().group(id)); });
        return visited;
    };
    EXPECT_EQ(groupsIn(0, 2147483647), (std::vector<std::int32_t>{0, 5, 7, 7, 70, 300, 1000, 2147483647}));
    EXPECT_EQ(groupsIn(6, 300), (std::vector<std::int32_t>{7, 7, 70, 300}));
    EXPECT_EQ(groupsIn(-2147483647 - 1, -1), (std::vector<std::int32_t>{-2147483647 - 1, -5}));
    EXPECT_TRUE(groupsIn(8, 69).empty());
    EXPECT_TRUE(groupsIn(5, 4).empty());
}

TEST(Database, ReplaceAndRemoveKeepEveryIndexInStep) {
    Database db;
    for (const Record& record :
         {makeRecord("a", 7, 1, 2), makeRecord("b", 7, 2, 4), makeRecord("c", 0), makeRecord("d", 7)}) {
        EXPECT_FALSE(db.replace(record.view()));
    }
    expectConsistent(db);
    EXPECT_EQ(namesOfGroup(db, 7), (std::vector<std::string>{"a", "b", "d"}));
    EXPECT_TRUE(db.remove("b"));
    EXPECT_EQ(namesOfGroup(db, 7), (std::vector<std::string>{"a", "d"}));
    EXPECT_TRUE(db.remove("c"));
    EXPECT_EQ(db.groups().sizeOf(0), 0u);
    EXPECT_FALSE(db.remove("c"));
    // Replacing the first record makes it the last, in the list and its group.
    EXPECT_TRUE(db.replace(makeRecord("a", 7, 5, 1, "new").view()));
    EXPECT_EQ(namesInFilingOrder(db.records()), (std::vector<std::string>{"d", "a"}));
    EXPECT_EQ(namesOfGroup(db, 7), (std::vector<std::string>{"d", "a"}));
    EXPECT_EQ(*db.records().info(db.findName("a")), "new");
    expectConsistent(db);
    db.clear();
    EXPECT_TRUE(db.records().isEmpty());
    EXPECT_EQ(db.findName("a"), NoRecord);
}

// A load of a file that repeats names builds the exact name tree; a load
// without repeats keeps the hash table; both stay consistent through later
// replacements and removals.
TEST(Database, LoadsWithRepeatedNamesUseTheNameTree) {
    for (const bool repeats : {false, true}) {
        Database db;
        db.startLoad(0);
        for (int k = 0; k < 500; ++k) {
            const std::string name = numbered("n", repeats ? k % 60 : k);
            db.append(makeRecord(name, k % 9, k % 5, 1, std::to_string(k)).view());
        }
        db.finishLoad();
        EXPECT_EQ(db.names().isTree(), repeats);
        expectConsistent(db);
        for (int k = 0; k < 200; ++k) {
            const std::string name = numbered("n", k % 70);
            if (k % 3 == 0) {
                db.replace(makeRecord(name, 1).view());
            } else {
                db.remove(name);
            }
        }
        expectConsistent(db);
    }
    // Thousands of copies of one name and rating fill the key order's inner
    // nodes to the full; removing them all empties those nodes one child at
    // a time (under the sanitizers this once showed a pointer formed past an
    // inner node's separators).
    Database db;
    db.startLoad(0);
    for (int k = 0; k < 6000; ++k) {
        db.append(makeRecord("p", 0, 1, 1).view());
    }
    db.finishLoad();
    for (int k = 0; k < 6000; ++k) {
        ASSERT_TRUE(db.remove("p"));
    }
    EXPECT_TRUE(db.records().isEmpty());
    expectConsistent(db);
}

}  // namespace
}  // namespace recdb
