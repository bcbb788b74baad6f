#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "output/file_print.hpp"
#include "request/conditions.hpp"
#include "store/database_file.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::makeRecord;
namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("recdb-files-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all);
        fs::remove_all(dir);
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    static std::string readFile(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeFile(const std::string& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    static std::string describe(const Database& db) {
        std::string text;
        const RecordStore& records = db.records();
        for (RecordId id = records.first(); id != NoRecord; id = records.next(id)) {
            text.append(records.name(id)).append(",").append(std::to_string(records.group(id)));
            text.append(",").append(std::to_string(records.ratingNum(id)));
            text.append(".").append(std::to_string(records.ratingDen(id))).append(",");
            if (const auto info = records.info(id)) {
                text.append("[").append(*info).append("]");
            } else {
                text.append("-");
            }
            text.append(";");
        }
        return text;
    }
    std::size_t filesInDir() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})); }

    // Runs a check in a child process, as an ordinary user when the tests run
    // as root (whom permissions do not stop), and tells whether it passed.
    static bool inChild(const std::function<bool()>& check, bool asOrdinaryUser) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (asOrdinaryUser && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                ::_exit(2);
            }
            ::_exit(check() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    fs::path dir;
};

const std::string ExampleRecord("\x03\0\0\0abc\x07\0\0\0\x03\0\0\0\x04\0\0\0\xFF\xFF\xFF\xFF", 23);

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

// What a store may not do to an existing file, whatever goes wrong.
TEST_F(FilesTest, FailedStoresLeaveTheOldFileAlone) {
    Database empty;
    writeFile(path("keep"), "old contents");
    EXPECT_EQ(store(empty, path("keep")), StoreOutcome::Empty);

    Database db;
    db.replace(makeRecord("abc", 7, 3, 4, std::string(200000, 'i')).view());
    EXPECT_EQ(store(db, path("no/such/dir")), StoreOutcome::CannotOpen);
    EXPECT_EQ(store(db, dir.string()), StoreOutcome::CannotOpen);
    EXPECT_EQ(store(db, ""), StoreOutcome::CannotOpen);

    // A file-size limit: the write fails part-way and the signal is ignored.
    EXPECT_TRUE(inChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{100000, 100000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return store(db, path("keep")) == StoreOutcome::WriteFailed;
        },
        false));
    EXPECT_EQ(readFile(path("keep")), "old contents");
    EXPECT_EQ(filesInDir(), 1u) << "no stray file is left";

    // A file the caller may not write, and a directory it may not write.
    ASSERT_EQ(::chmod(path("keep").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    EXPECT_TRUE(inChild([&] { return store(db, path("keep")) == StoreOutcome::CannotOpen; }, true));
    ASSERT_EQ(::chmod(path("keep").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    EXPECT_TRUE(inChild([&] { return store(db, path("keep")) == StoreOutcome::CannotOpen; }, true));
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
    EXPECT_EQ(readFile(path("keep")), "old contents");

    ASSERT_EQ(store(db, "/dev/full"), StoreOutcome::WriteFailed);
    struct stat info {};
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(FilesTest, StoresKeepPermissionsAndFollowLinks) {
    Database db;
    db.replace(makeRecord("abc", 7, 3, 4).view());
    writeFile(path("keep"), "old");
    ASSERT_EQ(::chmod(path("keep").c_str(), 0640), 0);
    ASSERT_EQ(store(db, path("keep")), StoreOutcome::Stored);
    struct stat info {};
    ASSERT_EQ(::stat(path("keep").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    ASSERT_EQ(::symlink("keep", path("link").c_str()), 0);
    ASSERT_EQ(store(db, path("link")), StoreOutcome::Stored);
    EXPECT_TRUE(fs::is_symlink(path("link")));
    // A dangling link is stored through: its target comes into being.
    ASSERT_EQ(::symlink("target", path("dangling").c_str()), 0);
    ASSERT_EQ(store(db, path("dangling")), StoreOutcome::Stored);
    EXPECT_TRUE(fs::is_symlink(path("dangling")));
    EXPECT_EQ(readFile(path("target")), ExampleRecord);
}

class ReportTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        for (const Record& record :
             {makeRecord("b<B>", 3, 4, 5, "tall<B>x</B>"), makeRecord("a", -2, 3, -1), makeRecord("c", 7, 1, 2, "")}) {
            db.replace(record.view());
        }
        ASSERT_TRUE(selectRecords(db, selection, parseConditions("")));
    }
    PrintOutcome print(const std::string& file, PrintType type, FieldSet fields, SortKey sortKey) {
        return filePrintSelection(file, type, db.records(), selection, fields, sortKey);
    }
    Database db;
    Selection selection;
};

TEST_F(ReportTest, PlainTextLines) {
    ASSERT_EQ(print(path("r.txt"), PrintType::Text, 15, NameField), PrintOutcome::Printed);
    EXPECT_EQ(readFile(path("r.txt")), "a\t-2\t3.-1\t\nb<B>\t3\t4.5\ttall<B>x</B>\nc\t7\t1.2\t\n");
    ASSERT_EQ(print(path("r.txt"), PrintType::Text, 0, 0), PrintOutcome::Printed);
    EXPECT_EQ(readFile(path("r.txt")), "\n\n\n");
}

TEST_F(ReportTest, UnopenableOrFailingReportsKeepTheOrderAndTheOldFile) {
    EXPECT_EQ(print(dir.string(), PrintType::Html, 1, NameField), PrintOutcome::CannotOpen);
    EXPECT_EQ(print("", PrintType::Text, 1, NameField), PrintOutcome::CannotOpen);
    EXPECT_EQ(db.records().name(selection.records.front()), "b<B>");
    EXPECT_EQ(print("/dev/full", PrintType::Text, 1, 0), PrintOutcome::WriteFailed);
    writeFile(path("old.txt"), "old report");
    EXPECT_TRUE(inChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4, 4};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return print(path("old.txt"), PrintType::Html, 15, 0) == PrintOutcome::WriteFailed;
        },
        false));
    EXPECT_EQ(readFile(path("old.txt")), "old report");
    EXPECT_EQ(filesInDir(), 1u);
}

}  // namespace
}  // namespace recdb
