#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "store/database.hpp"
#include "store/name_table.hpp"
#include "store/text_arena.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::addRecord;
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

// The arena alone. Texts round trip with their info tags at the edges of one,
// two and three bytes, an absent info apart from an empty one, and count as
// live, then freed.
TEST(TextArena, TextsRoundTripWithEveryTagLength) {
    struct Text {
        std::string name;
        std::optional<std::string> info;
    };
    std::vector<Text> texts = {{"", std::nullopt}, {"", ""}, {std::string(63, 'n'), std::nullopt}};
    const std::size_t sizes[] = {1, 126, 127, 128, 16382, 16383, 16384, 2097151, 2097152};
    for (const std::size_t size : sizes) {
        texts.push_back({"i", std::string(size, 'x')});
    }
    const auto infoOf = [](const Text& text) {
        return text.info ? std::optional<std::string_view>(*text.info) : std::nullopt;
    };
    TextArena arena;
    std::vector<TextArena::Handle> handles;
    std::size_t live = 0;
    for (const Text& text : texts) {
        handles.push_back(arena.store(text.name, infoOf(text)));
        live += TextArena::sizeOf(text.name, infoOf(text));
    }
    EXPECT_EQ(arena.liveBytes(), live);
    for (std::size_t k = 0; k < texts.size(); ++k) {
        EXPECT_EQ(arena.name(handles[k]), texts[k].name) << "text " << k;
        EXPECT_EQ(arena.info(handles[k]), infoOf(texts[k])) << "text " << k;
    }
    for (std::size_t k = 0; k < texts.size(); k += 2) {
        arena.release(handles[k]);
    }
    EXPECT_EQ(arena.liveBytes() + arena.freedBytes(), live);
    EXPECT_EQ(arena.name(handles[1]), "") << "a release leaves the other texts";
    arena.clear();
    EXPECT_EQ(arena.liveBytes() + arena.freedBytes() + arena.heldBytes(), 0u);
}

// Texts fill a block to its very end before the next block begins; a text
// larger than a block takes a block of its own, which nothing else shares
// (offsets in a handle cannot reach beyond a block), also when it was
// reserved for a larger text than came; storing what reserve made room for
// allocates nothing.
TEST(TextArena, TextsFillBlocksAndLargeOnesTakeTheirOwn) {
    constexpr std::size_t Block = std::size_t{1} << 20;
    // An info that makes the text of this name take exactly size bytes.
    const auto infoFilling = [](std::string_view name, std::size_t size) {
        std::string info(size - name.size() - 2, 'i');
        while (TextArena::sizeOf(name, info) > size) {
            info.pop_back();
        }
        return info;
    };
    struct Step {
        std::size_t reserved;
        std::size_t size;  // of the text stored
        std::size_t held;  // the bytes of all blocks after it
    };
    const Step steps[] = {
        {Block / 2, Block / 2, Block},                   // a first block
        {Block / 2, Block / 2, Block},                   // fills it to its end
        {100, 100, 2 * Block},                           // a second block
        {Block + 1000, Block + 1000, 3 * Block + 1000},  // a block of its own
        {100, 100, 4 * Block + 1000},                    // not in the large one
        {Block - 100, Block - 100, 4 * Block + 1000},    // fills the fourth block
        {3 * Block, 100, 7 * Block + 1000},              // reserved large, stored small
        {100, 100, 8 * Block + 1000},                    // not in the large one
    };
    TextArena arena;
    std::vector<std::pair<TextArena::Handle, std::string>> stored;
    for (const Step& step : steps) {
        const std::string info = infoFilling("t", step.size);
        ASSERT_EQ(TextArena::sizeOf("t", info), step.size);
        arena.reserve(step.reserved);
        EXPECT_EQ(arena.heldBytes(), step.held) << "after reserving " << step.reserved;
        stored.emplace_back(arena.store("t", info), info);
        EXPECT_EQ(arena.heldBytes(), step.held) << "storing after reserve allocated";
    }
    for (const auto& [handle, info] : stored) {
        EXPECT_EQ(arena.info(handle), info);
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
