// What line editing adds on POSIX systems: the words that Tab completes, as
// the requests' guides give them, and whether the greeting may point to
// "man recdb".
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "console/completion.hpp"
#include "console/manual_page.hpp"
#include "io/system_calls.hpp"

namespace recdb {
namespace {

TEST(Completion, OffersTheWordsOfTheGuides) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {"DBload", "DBstore", "insert", "remove", "select", "reselect", "print", "fileprint", "exit", "help"}},
        {"re", {"remove", "reselect"}},
        {"he", {"help"}},
        {"help ", {"DBload", "DBstore", "insert", "remove", "select", "reselect", "print", "fileprint", "exit"}},
        {"help ins", {"insert"}},
        {"help insert ", {}},
        {"insert name=a ", {"name=", "group=", "rating=", "info=", "end"}},
        {"remove ", {"name=", "end"}},
        {"select g", {"group="}},
        {"select end ", {}},
        {"print ", {"name", "group", "rating", "info", "sort"}},
        {"print name end ", {}},
        {"fileprint name ", {"name", "group", "rating", "info", "sort", "end"}},
        {"fileprint name end x ", {"HTML"}},
        {"fileprint name end x HTML ", {}},
        {"exit ", {}},
        {"bogus ", {}},
    };
    for (const auto& [typed, expected] : cases) {
        EXPECT_EQ(completionsFor(typed), expected) << '"' << typed << '"';
    }
}

// A directory of the test's own: its names, and which of them are
// directories; a listing that fails when unreadable.
class FakeDirectory final : public io::SystemCalls {
public:
    FakeDirectory(std::vector<std::string> names, std::set<std::string> directories, bool unreadable)
        : names_(std::move(names)), directories_(std::move(directories)), unreadable_(unreadable) {}

    int listDirectory(const char* path, std::vector<std::string>& names) override {
        listed.emplace_back(path);
        if (unreadable_) {
            errno = EACCES;
            return -1;
        }
        names = names_;
        return 0;
    }
    int stat(const char* path, io::FileStatus* info) override {
        *info = {};
        info->st_mode = directories_.contains(path) ? S_IFDIR : S_IFREG;
        return 0;
    }

    std::vector<std::string> listed;

private:
    std::vector<std::string> names_;
    std::set<std::string> directories_;
    bool unreadable_;
};

// File names come from the file system's listing: those that begin with the
// word typed, hidden ones only when asked for, directories with a slash.
TEST(Completion, OffersTheFileNamesOfTheDirectoryTyped) {
    struct FileCase {
        const char* typed;
        bool unreadable;
        const char* listed;
        std::vector<std::string> expected;
    };
    const FileCase cases[] = {
        {"DBload tr", false, ".", {"trees.db", "trip/"}},
        {"DBload .", false, ".", {".hidden"}},
        {"DBstore sub/t", false, "sub/", {"sub/trees.db", "sub/trip"}},
        {"fileprint name end ", false, ".", {"other", "trees.db", "trip/"}},
        {"DBload tr", true, ".", {}},
    };
    for (const FileCase& c : cases) {
        FakeDirectory directory({"trees.db", "trip", ".hidden", "other"}, {"trip"}, c.unreadable);
        const io::SystemCallsOverride override(directory);
        EXPECT_EQ(completionsFor(c.typed), c.expected) << c.typed;
        EXPECT_EQ(directory.listed, std::vector<std::string>{c.listed}) << c.typed;
    }
}

// Stat calls that find only the files and programs given.
class FakeFiles final : public io::SystemCalls {
public:
    FakeFiles(std::set<std::string> programs, std::set<std::string> files)
        : programs_(std::move(programs)), files_(std::move(files)) {}

    int stat(const char* path, io::FileStatus* info) override {
        ++calls;
        *info = {};
        if (programs_.contains(path) || files_.contains(path)) {
            info->st_mode = S_IFREG | (programs_.contains(path) ? 0755 : 0644);
            return 0;
        }
        errno = ENOENT;
        return -1;
    }

    int calls = 0;

private:
    std::set<std::string> programs_;
    std::set<std::string> files_;
};

TEST(ManualPage, IsFoundWhereManWouldFindIt) {
    struct PageCase {
        const char* label;
        const char* path;
        const char* manPath;
        std::set<std::string> programs;
        std::set<std::string> files;
        bool found;
    };
    const PageCase cases[] = {
        {"the system's manual", "/usr/bin:/bin", nullptr, {"/usr/bin/man"}, {"/usr/share/man/man1/recdb.1.gz"}, true},
        {"no man program", "/usr/bin:/bin", nullptr, {}, {"/usr/share/man/man1/recdb.1.gz"}, false},
        {"man that cannot run", "/usr/bin", nullptr, {}, {"/usr/bin/man", "/usr/share/man/man1/recdb.1"}, false},
        {"no page", "/usr/bin", nullptr, {"/usr/bin/man"}, {"/usr/share/man/man1/other.1"}, false},
        {"beside a bin directory of PATH",
         "/opt/r/bin:/usr/bin",
         nullptr,
         {"/usr/bin/man"},
         {"/opt/r/share/man/man1/recdb.1"},
         true},
        {"MANPATH without the page", "/usr/bin", "/m", {"/usr/bin/man"}, {"/usr/share/man/man1/recdb.1"}, false},
        {"MANPATH with the page", "/usr/bin", "/m", {"/usr/bin/man"}, {"/m/man1/recdb.1"}, true},
        {"an empty MANPATH entry is the usual ones",
         "/usr/bin",
         "/m:",
         {"/usr/bin/man"},
         {"/usr/local/share/man/man1/recdb.1"},
         true},
        {"no PATH", nullptr, nullptr, {"/usr/bin/man"}, {"/usr/share/man/man1/recdb.1"}, false},
    };
    for (const PageCase& c : cases) {
        FakeFiles files(c.programs, c.files);
        const io::SystemCallsOverride override(files);
        EXPECT_EQ(manualPageInstalled(c.path, c.manPath), c.found) << c.label;
    }
    // A long PATH costs a few stat calls a directory, no more.
    FakeFiles files({"/8/bin/man"}, {});
    const io::SystemCallsOverride override(files);
    EXPECT_FALSE(manualPageInstalled("/1/bin:/2/bin:/3/bin:/4/bin:/5/bin:/6/bin:/7/bin:/8/bin", nullptr));
    EXPECT_LE(files.calls, 8 + 2 * (2 * 8 + 2));
}

}  // namespace
}  // namespace recdb
