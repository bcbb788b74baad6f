// Stores and reports on POSIX systems: file-size limits, permissions, full
// devices and symbolic links.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <functional>

#include "files_fixture.hpp"

namespace recdb {
namespace {

using testing::ExampleRecord;
using testing::FilesTest;
using testing::makeRecord;
using testing::ReportTest;

// Runs a check in a child process, as an ordinary user when the tests run
// as root (whom permissions do not stop), and tells whether it passed.
bool inChild(const std::function<bool()>& check, bool asOrdinaryUser) {
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

// Runs a check in a child process under a file-size limit of bytes, with the
// signal that a write past it raises ignored, so that the write fails.
bool underFileSizeLimit(rlim_t bytes, const std::function<bool()>& check) {
    return inChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{bytes, bytes};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return check();
        },
        false);
}

TEST_F(FilesTest, LimitsPermissionsAndFullDevicesLeaveTheOldFileAlone) {
    Database db;
    db.replace(makeRecord("abc", 7, 3, 4, std::string(200000, 'i')).view());
    writeFile(path("keep"), "old contents");

    // A file-size limit: the write fails part-way and the signal is ignored.
    EXPECT_TRUE(underFileSizeLimit(100000, [&] {
        const StoreResult result = store(db, path("keep"));
        return result == StoreOutcome::WriteFailed && result.error == EFBIG;
    }));
    EXPECT_EQ(readFile(path("keep")), "old contents");
    EXPECT_EQ(filesInDir(), 1u) << "no stray file is left";

    // A file the caller may not write, and a directory it may not write.
    ASSERT_EQ(::chmod(path("keep").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    const auto refused = [&] {
        const StoreResult result = store(db, path("keep"));
        return result == StoreOutcome::CannotOpen && result.error == EACCES;
    };
    EXPECT_TRUE(inChild(refused, true));
    ASSERT_EQ(::chmod(path("keep").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    EXPECT_TRUE(inChild(refused, true));
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
    EXPECT_EQ(readFile(path("keep")), "old contents");

    // A full device, where the system has one (Linux; not macOS).
    struct stat info {};
    if (::stat("/dev/full", &info) == 0) {
        EXPECT_TRUE(S_ISCHR(info.st_mode));
        const StoreResult result = store(db, "/dev/full");
        EXPECT_EQ(result, StoreOutcome::WriteFailed);
        EXPECT_EQ(result.error, ENOSPC);
    }
}

// A loop of links is refused with the system's reason.
TEST_F(FilesTest, ALoopOfLinksCarriesItsReason) {
    Database db;
    db.replace(makeRecord("abc", 7, 3, 4).view());
    ASSERT_EQ(::symlink("loop", path("loop").c_str()), 0);
    EXPECT_EQ(store(db, path("loop")).error, ELOOP);
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
    EXPECT_TRUE(std::filesystem::is_symlink(path("link")));
    // A dangling link is stored through: its target comes into being.
    ASSERT_EQ(::symlink("target", path("dangling").c_str()), 0);
    ASSERT_EQ(store(db, path("dangling")), StoreOutcome::Stored);
    EXPECT_TRUE(std::filesystem::is_symlink(path("dangling")));
    EXPECT_EQ(readFile(path("target")), ExampleRecord);
}

TEST_F(ReportTest, FailingReportsKeepTheOldFile) {
    if (std::filesystem::exists("/dev/full")) {
        const PrintResult ontoFullDevice = print("/dev/full", PrintType::Text, 1, 0);
        EXPECT_EQ(ontoFullDevice, PrintOutcome::WriteFailed);
        EXPECT_EQ(ontoFullDevice.error, ENOSPC);
    }
    writeFile(path("old.txt"), "old report");
    EXPECT_TRUE(underFileSizeLimit(
        4, [&] { return print(path("old.txt"), PrintType::Html, 15, 0) == PrintOutcome::WriteFailed; }));
    EXPECT_EQ(readFile(path("old.txt")), "old report");
    EXPECT_EQ(filesInDir(), 1u);
}

// A backslash is a character of a name here, not a separator.
TEST(Paths, SlashesAloneSeparate) {
    testing::checkPaths({
        {"name", "", false},
        {"dir/name", "dir/", false},
        {"/dir/sub/name", "/dir/sub/", true},
        {"a\\b", "", false},
        {"/", "/", true},
        {"C:/name", "C:/", false},
        {"dir\\sub/name", "dir\\sub/", false},
    });
}

}  // namespace
}  // namespace recdb
