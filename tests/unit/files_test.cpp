#include <cerrno>
#include <cstring>

#include "files_fixture.hpp"

namespace recdb {
namespace {

using testing::asText;
using testing::ExampleRecord;
using testing::FilesTest;
using testing::makeRecord;
using testing::ReportTest;

TEST_F(FilesTest, StoreWritesTheExampleBytesAndLoadReadsThemBack) {
    Database db;
    db.replace(makeRecord("abc", 7, 3, 4).view());
    ASSERT_EQ(store(db, path("db")), StoreOutcome::Stored);
    EXPECT_EQ(readFile(path("db")), ExampleRecord);

    db.replace(makeRecord("\xC0\xFF", -5, -1, 0, "").view());
    db.replace(makeRecord("x", 0, 1, 2, "info").view());
    ASSERT_EQ(store(db, path("db")), StoreOutcome::Stored);
    Database loaded;
    loaded.replace(makeRecord("old").view());
    ASSERT_EQ(load(loaded, path("db")), LoadOutcome::Loaded);
    EXPECT_EQ(describe(loaded), describe(db));
    EXPECT_EQ(describe(loaded), "abc,7,3.4,-;\xC0\xFF,-5,-1.0,[];x,0,1.2,[info];");
}

TEST_F(FilesTest, LoadKeepsRepeatedNamesInFileOrder) {
    writeFile(path("dup"), ExampleRecord + ExampleRecord.substr(0, 19) + std::string("\x02\0\0\0hi", 6));
    Database db;
    ASSERT_EQ(load(db, path("dup")), LoadOutcome::Loaded);
    EXPECT_EQ(describe(db), "abc,7,3.4,-;abc,7,3.4,[hi];");
    EXPECT_TRUE(db.remove("abc"));
    EXPECT_TRUE(db.remove("abc"));
    EXPECT_FALSE(db.remove("abc"));
}

TEST_F(FilesTest, TruncatedDataKeepsTheRecordsBefore) {
    const std::string full = ExampleRecord + std::string("\x01\0\0\0z\0\0\0\0\0\0\0\0\0\0\0\0\x03\0\0\0abc", 24);
    for (std::size_t cut = ExampleRecord.size(); cut < full.size(); ++cut) {
        writeFile(path("cut"), full.substr(0, cut));
        Database db;
        ASSERT_EQ(load(db, path("cut")), LoadOutcome::Loaded) << cut;
        EXPECT_EQ(describe(db), "abc,7,3.4,-;") << cut;
    }
    writeFile(path("cut"), full);
    Database db;
    ASSERT_EQ(load(db, path("cut")), LoadOutcome::Loaded);
    EXPECT_EQ(db.records().size(), 2u);
}

TEST_F(FilesTest, OddLengthFieldsNeitherCrashNorAllocateTheirSize) {
    struct Case {
        const char* label;
        std::string bytes;
        LoadOutcome outcome;
        const char* content;
    };
    const Case cases[] = {
        {"negative info length", ExampleRecord.substr(0, 19) + std::string("\xF9\xFF\xFF\xFF", 4), LoadOutcome::Loaded,
         "abc,7,3.4,-;"},
        {"huge info length", ExampleRecord.substr(0, 19) + std::string("\xFF\xFF\xFF\x7F", 4) + "tiny",
         LoadOutcome::Loaded, ""},
        {"name too long", ExampleRecord + std::string("\x40\0\0\0", 4) + std::string(80, 'n'),
         LoadOutcome::BadNameLength, ""},
        {"negative name length", std::string("\xFF\xFF\xFF\xFF", 4), LoadOutcome::BadNameLength, ""},
        {"zero bytes in texts",
         std::string("\x02\0\0\0a\0", 6) + ExampleRecord.substr(7, 12) + std::string("\x03\0\0\0x\0y", 7),
         LoadOutcome::Loaded, "a,7,3.4,[x];"},
        {"empty file", "", LoadOutcome::Loaded, ""},
    };
    for (const Case& c : cases) {
        writeFile(path("odd"), c.bytes);
        Database db;
        db.replace(makeRecord("q").view());
        EXPECT_EQ(load(db, path("odd")), c.outcome) << c.label;
        if (c.outcome == LoadOutcome::Loaded) {
            EXPECT_EQ(describe(db), c.content) << c.label;
        }
    }
    Database db;
    db.replace(makeRecord("q").view());
    EXPECT_EQ(load(db, path("missing")), LoadOutcome::CannotRead);
    EXPECT_TRUE(db.records().isEmpty());
    EXPECT_EQ(load(db, dir.string()), LoadOutcome::CannotRead);
}

// Each failure carries the reason that the console gives a person: the
// system's error number, or where the file stops being a database file.
TEST_F(FilesTest, FailuresCarryTheirReason) {
    Database db;
    db.replace(makeRecord("abc", 7, 3, 4).view());
    const auto loadError = [](const std::string& file) {
        Database loaded;
        return load(loaded, file).error;
    };
    struct Case {
        const char* label;
        int error;
        int expected;
    };
    const Case cases[] = {
        {"load of a missing file", loadError(path("missing")), ENOENT},
        {"load of a directory", loadError(dir.string()), EISDIR},
        {"load without a name", loadError(""), ENOENT},
        {"store into a missing directory", store(db, path("no/such/dir")).error, ENOENT},
        {"store onto a directory", store(db, dir.string()).error, EISDIR},
        {"store without a name", store(db, "").error, ENOENT},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.error, c.expected) << c.label << ": " << std::strerror(c.error);
    }

    writeFile(path("bad"), ExampleRecord + ExampleRecord + std::string("\x40\0\0\0", 4) + std::string(80, 'n'));
    const LoadResult bad = load(db, path("bad"));
    EXPECT_EQ(bad, LoadOutcome::BadNameLength);
    EXPECT_EQ(bad.record, 3u);
    EXPECT_EQ(bad.offset, 2 * ExampleRecord.size());
    EXPECT_EQ(bad.nameLength, 64);
}

// What a store may not do to an existing file, whatever goes wrong; the
// failures that only some systems can bring about are tried in the tests of
// each system.
TEST_F(FilesTest, FailedStoresLeaveTheOldFileAlone) {
    Database empty;
    writeFile(path("keep"), "old contents");
    EXPECT_EQ(store(empty, path("keep")), StoreOutcome::Empty);

    Database db;
    db.replace(makeRecord("abc", 7, 3, 4, std::string(200000, 'i')).view());
    EXPECT_EQ(store(db, path("no/such/dir")), StoreOutcome::CannotOpen);
    EXPECT_EQ(store(db, dir.string()), StoreOutcome::CannotOpen);
    EXPECT_EQ(store(db, ""), StoreOutcome::CannotOpen);
    EXPECT_EQ(readFile(path("keep")), "old contents");
    EXPECT_EQ(filesInDir(), 1u) << "no stray file is left";
}

TEST_F(ReportTest, PlainTextLines) {
    ASSERT_EQ(print(path("r.txt"), PrintType::Text, 15, NameField), PrintOutcome::Printed);
    EXPECT_EQ(readFile(path("r.txt")), asText("a\t-2\t3.-1\t\nb<B>\t3\t4.5\ttall<B>x</B>\nc\t7\t1.2\t\n"));
    ASSERT_EQ(print(path("r.txt"), PrintType::Text, 0, 0), PrintOutcome::Printed);
    EXPECT_EQ(readFile(path("r.txt")), asText("\n\n\n"));
}

TEST_F(ReportTest, UnopenableReportsKeepTheOrder) {
    const PrintResult intoDirectory = print(dir.string(), PrintType::Html, 1, NameField);
    EXPECT_EQ(intoDirectory, PrintOutcome::CannotOpen);
    EXPECT_EQ(intoDirectory.error, EISDIR);
    EXPECT_EQ(print("", PrintType::Text, 1, NameField), PrintOutcome::CannotOpen);
    EXPECT_EQ(db.records().name(selection.records.front()), "b<B>");
    EXPECT_EQ(filesInDir(), 0u);
}

}  // namespace
}  // namespace recdb
