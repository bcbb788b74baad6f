#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    void TearDown() override { fs::remove_all(dir); }

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
        for (const RecordNode& node : db.records()) {
            const Record& r = node.record;
            text += std::string(r.nameView()) + "," + std::to_string(r.group) + "," + std::to_string(r.ratingNum) +
                    "." + std::to_string(r.ratingDen) + "," + (r.info ? "[" + *r.info + "]" : "-") + ";";
        }
        return text;
    }

    fs::path dir;
};

const std::string ExampleRecord("\x03\0\0\0abc\x07\0\0\0\x03\0\0\0\x04\0\0\0\xFF\xFF\xFF\xFF", 23);

TEST_F(FilesTest, StoreWritesTheExampleBytesAndLoadReadsThemBack) {
    Database db;
    db.insert(makeRecord("abc", 7, 3, 4));
    ASSERT_EQ(store(db, path("db")), 0);
    EXPECT_EQ(readFile(path("db")), ExampleRecord);

    db.insert(makeRecord("\xC0\xFF", -5, -1, 0, ""));
    db.insert(makeRecord("x", 0, 1, 2, "info"));
    ASSERT_EQ(store(db, path("db")), 0);
    Database loaded;
    loaded.insert(makeRecord("old"));
    ASSERT_EQ(load(loaded, path("db")), 0);
    EXPECT_EQ(describe(loaded), describe(db));
    EXPECT_EQ(describe(loaded), "abc,7,3.4,-;\xC0\xFF,-5,-1.0,[];x,0,1.2,[info];");
}

TEST_F(FilesTest, LoadKeepsDuplicatesInFileOrder) {
    writeFile(path("dup"), ExampleRecord + ExampleRecord.substr(0, 19) + std::string("\x02\0\0\0hi", 6));
    Database db;
    ASSERT_EQ(load(db, path("dup")), 0);
    EXPECT_EQ(describe(db), "abc,7,3.4,-;abc,7,3.4,[hi];");
    EXPECT_EQ(db.remove("abc"), 0);
    EXPECT_EQ(db.remove("abc"), 0);
    EXPECT_EQ(db.remove("abc"), 1);
}

TEST_F(FilesTest, TruncatedDataKeepsTheRecordsBefore) {
    const std::string full = ExampleRecord + std::string("\x01\0\0\0z\0\0\0\0\0\0\0\0\0\0\0\0\x03\0\0\0abc", 24);
    for (std::size_t cut = ExampleRecord.size(); cut < full.size(); ++cut) {
        writeFile(path("cut"), full.substr(0, cut));
        Database db;
        ASSERT_EQ(load(db, path("cut")), 0) << cut;
        EXPECT_EQ(describe(db), "abc,7,3.4,-;") << cut;
    }
    writeFile(path("cut"), full);
    Database db;
    ASSERT_EQ(load(db, path("cut")), 0);
    EXPECT_EQ(db.records().size(), 2u);
}

TEST_F(FilesTest, OddLengthFieldsNeitherCrashNorAllocateTheirSize) {
    Database db;
    writeFile(path("neg"), ExampleRecord.substr(0, 19) + std::string("\xF9\xFF\xFF\xFF", 4));
    ASSERT_EQ(load(db, path("neg")), 0);
    EXPECT_EQ(describe(db), "abc,7,3.4,-;");

    writeFile(path("huge"), ExampleRecord.substr(0, 19) + std::string("\xFF\xFF\xFF\x7F", 4) + "tiny");
    ASSERT_EQ(load(db, path("huge")), 0);
    EXPECT_TRUE(db.records().isEmpty());

    writeFile(path("long"), ExampleRecord + std::string("\x40\0\0\0", 4) + std::string(80, 'n'));
    EXPECT_EQ(load(db, path("long")), -4);
    writeFile(path("negname"), std::string("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(load(db, path("negname")), -4);

    writeFile(path("zero"), std::string("\x02\0\0\0a\0", 6) + ExampleRecord.substr(7, 12) +
                                std::string("\x03\0\0\0x\0y", 7));
    ASSERT_EQ(load(db, path("zero")), 0);
    EXPECT_EQ(describe(db), "a,7,3.4,[x];");

    writeFile(path("empty"), "");
    db.insert(makeRecord("q"));
    ASSERT_EQ(load(db, path("empty")), 0);
    EXPECT_TRUE(db.records().isEmpty());
    db.insert(makeRecord("q"));
    EXPECT_EQ(load(db, path("missing")), -2);
    EXPECT_TRUE(db.records().isEmpty());
    EXPECT_EQ(load(db, dir.string()), -2);
}

TEST_F(FilesTest, FailedStoresLeaveTheOldFileAlone) {
    Database db;
    writeFile(path("keep"), "old contents");
    EXPECT_EQ(store(db, path("keep")), -1);
    EXPECT_EQ(readFile(path("keep")), "old contents");

    db.insert(makeRecord("abc", 7, 3, 4, std::string(200000, 'i')));
    EXPECT_EQ(store(db, path("no/such/dir")), -2);
    EXPECT_EQ(store(db, dir.string()), -2);
    EXPECT_EQ(store(db, ""), -2);

    // A write that runs into the file-size limit fails part-way.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(store(db, path("keep")) == -3 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readFile(path("keep")), "old contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "no stray file is left";

    ASSERT_EQ(store(db, "/dev/full"), -3);
    struct stat info {};
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    ASSERT_EQ(::chmod(path("keep").c_str(), 0640), 0);
    ASSERT_EQ(store(db, path("keep")), 0);
    ASSERT_EQ(::stat(path("keep").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    ASSERT_EQ(::symlink("keep", path("link").c_str()), 0);
    ASSERT_EQ(store(db, path("link")), 0);
    EXPECT_TRUE(fs::is_symlink(path("link")));
}

class ReportTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        db.insert(makeRecord("b<B>", 3, 4, 5, "tall<B>x</B>"));
        db.insert(makeRecord("a", -2, 3, -1));
        db.insert(makeRecord("c", 7, 1, 2, ""));
        Criteria all;
        parseConditions("", all);
        selectRecords(db, selection, all);
    }
    Database db;
    Selection selection;
};

TEST_F(ReportTest, PlainTextLines) {
    ASSERT_EQ(filePrintSelection(path("r.txt"), PrintType::Text, selection, 15, 1), 0);
    EXPECT_EQ(readFile(path("r.txt")), "a\t-2\t3.-1\t\nb<B>\t3\t4.5\ttall<B>x</B>\nc\t7\t1.2\t\n");
    ASSERT_EQ(filePrintSelection(path("r.txt"), PrintType::Text, selection, 0, 0), 0);
    EXPECT_EQ(readFile(path("r.txt")), "\n\n\n");
}

TEST_F(ReportTest, HtmlPage) {
    ASSERT_EQ(filePrintSelection(path("r.html"), PrintType::Html, selection, 9, 4), 0);
    const std::string title = "\xD0\xE5\xE7\xF3\xEB\xFC\xF2\xE0\xF2\xFB \xE2\xFB\xE1\xEE\xF0\xEA\xE8 \xE8\xE7 "
                              "\xC1\xE0\xE7\xFB \xC4\xE0\xED\xED\xFB\xF5.";
    const std::string expected =
        "<HTML>\n<HEAD>\n\t<TITLE>" + title + " [Tarnwick]</TITLE>\n</HEAD>\n<BODY>\n\t<CENTER><H1>" + title +
        " [<a href=\"https://example.org/recdb/\">Tarnwick</a>]</H1></CENTER>\n"
        "\t<BR><HR><BR>\n\t<TABLE CELLSPACING=3 WIDTH=100%>\n\t\t<TR>\n"
        "\t\t\t<TD WIDTH=250 BGCOLOR=#999999  ALIGN=center><B>NAME</B></TD>\n"
        "\t\t\t<TD BGCOLOR=#999999  ALIGN=center><B>INFO</B></TD>\n\t\t</TR>\n"
        "\t\t<TR>\n\t\t\t<TD WIDTH=250 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>a</TD>\n\t\t</TR>\n"
        "\t\t<TR>\n\t\t\t<TD WIDTH=250 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>c</TD>\n"
        "\t\t\t<TD BGCOLOR=#DDDDDD ALIGN=left VALIGN=top></TD>\n\t\t</TR>\n"
        "\t\t<TR>\n\t\t\t<TD WIDTH=250 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>b<B></TD>\n"
        "\t\t\t<TD BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>tall<B>x</B></TD>\n\t\t</TR>\n"
        "\t</TABLE>\n\t<BR><HR><BR>\n"
        "\t<CENTER><I>All rights to the data belong to their owners.</I></CENTER><br><CENTER>"
        "More about recdb on its web site: <a href=\"https://example.org/recdb/\">recdb</a></CENTER>\n"
        "</BODY>\n</HTML>\n";
    EXPECT_EQ(readFile(path("r.html")), expected);
}

TEST_F(ReportTest, UnopenableReportKeepsTheOrder) {
    EXPECT_EQ(filePrintSelection(dir.string(), PrintType::Html, selection, 1, 1), -2);
    EXPECT_EQ(filePrintSelection("", PrintType::Text, selection, 1, 1), -2);
    EXPECT_EQ(selection.entries.begin()->record->record.nameView(), "b<B>");
    EXPECT_EQ(filePrintSelection("/dev/full", PrintType::Text, selection, 1, 0), -3);
}

}  // namespace
}  // namespace recdb
