// Stores and reports on Windows: names in UTF-8, names that are not UTF-8,
// read-only files, devices, the line ends of reports, and paths with drives
// and backslashes.
#include <windows.h>

#include <cerrno>

#include "files_fixture.hpp"

namespace recdb {
namespace {

using testing::ExampleRecord;
using testing::FilesTest;
using testing::makeRecord;
using testing::ReportTest;

namespace fs = std::filesystem;

// A name as Windows Explorer shows it: its UTF-16 form.
bool existsAsWide(const fs::path& dir, const wchar_t* name) {
    return GetFileAttributesW((dir / name).wstring().c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The names are UTF-8 in the source, as the program takes them.
TEST_F(FilesTest, NamesAreUtf8) {
    Database db;
    db.replace(makeRecord("abc", 7, 3, 4).view());
    ASSERT_EQ(store(db, path("Gr\u00FC\u00DFe.db")), StoreOutcome::Stored);
    EXPECT_TRUE(existsAsWide(dir, L"Gr\u00FC\u00DFe.db"));
    EXPECT_EQ(readFile(path("Gr\u00FC\u00DFe.db")), ExampleRecord);
    Database loaded;
    ASSERT_EQ(load(loaded, path("Gr\u00FC\u00DFe.db")), LoadOutcome::Loaded);
    EXPECT_EQ(describe(loaded), "abc,7,3.4,-;");
    ASSERT_EQ(store(db, path("\u65E5\u672C \U0001F332.db")), StoreOutcome::Stored);
    EXPECT_TRUE(existsAsWide(dir, L"\u65E5\u672C \U0001F332.db"));
    EXPECT_EQ(filesInDir(), 2u);
}

// Bytes that are not UTF-8 name no file: they are refused as a file that
// cannot be opened, and nothing is made of them.
TEST_F(ReportTest, NamesThatAreNotUtf8AreRefused) {
    for (const char* name : {"bad\xFF.db", "Gr\xFC\xDF.db", "cut\xC3", "\xED\xA0\x80.db"}) {
        errno = 0;
        EXPECT_EQ(store(db, path(name)), StoreOutcome::CannotOpen) << name;
        EXPECT_EQ(errno, EILSEQ) << name;
        Database loaded;
        EXPECT_EQ(load(loaded, path(name)), LoadOutcome::CannotRead) << name;
        EXPECT_EQ(print(path(name), PrintType::Text, 1, 0), PrintOutcome::CannotOpen) << name;
    }
    EXPECT_EQ(filesInDir(), 0u);
}

TEST_F(FilesTest, ReadOnlyFilesAreRefusedAndKept) {
    Database db;
    db.replace(makeRecord("abc", 7, 3, 4).view());
    writeFile(path("keep"), "old contents");
    fs::permissions(path("keep"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_NE(GetFileAttributesW(fs::path(path("keep")).wstring().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(store(db, path("keep")), StoreOutcome::CannotOpen);
    EXPECT_EQ(readFile(path("keep")), "old contents");
    EXPECT_EQ(filesInDir(), 1u) << "no stray file is left";
    fs::permissions(path("keep"), fs::perms::owner_write, fs::perm_options::add);
    ASSERT_EQ(store(db, path("keep")), StoreOutcome::Stored);
    EXPECT_EQ(readFile(path("keep")), ExampleRecord);
    EXPECT_EQ(filesInDir(), 1u);
}

// A device is written directly, as /dev/null is elsewhere.
TEST_F(ReportTest, DevicesAreWrittenDirectly) {
    Database stored;
    stored.replace(makeRecord("abc", 7, 3, 4).view());
    EXPECT_EQ(store(stored, "NUL"), StoreOutcome::Stored);
    EXPECT_EQ(print("NUL", PrintType::Html, 15, 0), PrintOutcome::Printed);
    EXPECT_EQ(filesInDir(), 0u);
}

TEST_F(ReportTest, ReportsEndTheirLinesWithCarriageReturnAndLineFeed) {
    ASSERT_EQ(print(path("r.html"), PrintType::Html, 1, NameField), PrintOutcome::Printed);
    const std::string page = readFile(path("r.html"));
    EXPECT_TRUE(page.starts_with("<HTML>\r\n<HEAD>\r\n\t<TITLE>")) << page.substr(0, 20);
    EXPECT_TRUE(page.ends_with("</BODY>\r\n</HTML>\r\n"));
    EXPECT_EQ(page.find("\r\r"), std::string::npos);
}

TEST(Paths, DrivesAndBackslashes) {
    testing::checkPaths({
        {"name", "", false},
        {"dir\\name", "dir\\", false},
        {"dir/name", "dir/", false},
        {"C:\\dir\\name", "C:\\dir\\", true},
        {"C:/dir/name", "C:/dir/", true},
        {"C:name", "C:", false},
        {"\\\\server\\share\\name", "\\\\server\\share\\", true},
        {"\\dir\\name", "\\dir\\", true},
    });
}

}  // namespace
}  // namespace recdb
