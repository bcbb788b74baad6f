// Faults injected one at a time: every allocation inside a request, and every
// file system call of a store or report, is made to fail in turn, until the
// request runs through. After each failure the reply must say so, every
// index must hold together, and the database and files must be as before.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <optional>
#include <string>

#include "../line_ends.hpp"
#include "console/line_reader.hpp"
#include "console/progress_line.hpp"
#include "console/request_loop.hpp"
#include "io/system_calls.hpp"
#include "store/database.hpp"

namespace {

// Allocations fail when this counts down to zero.
long allocationsToFailure = 0;
bool allocationFailed = false;

// Fails the failAt-th allocation while armed.
struct AllocationFault {
    long failAt;
    void arm() const {
        allocationFailed = false;
        allocationsToFailure = failAt;
    }
    void disarm() const { allocationsToFailure = 0; }
};

void* allocate(std::size_t size) {
    if (allocationsToFailure > 0 && --allocationsToFailure == 0) {
        allocationFailed = true;
        throw std::bad_alloc();
    }
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace recdb {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A console whose replies go to a file, in a directory of its own, with a
// database of a few hundred records.
class Console {
public:
    explicit Console(int records = 300)
        : dir_(fs::temp_directory_path() / ("recdb-fault-" + std::to_string(::getpid()))),
          output_(openOutput(), false),
          input_(-1, output_),
          loop_(database_, selection_, input_, output_) {
        for (int k = 0; k < records; ++k) {
            std::string line = "insert name=n" + std::to_string(k) + " group=" + std::to_string(k % 7) +
                               " rating=" + std::to_string(k % 4) + "." + std::to_string(1 + k % 3) +
                               (k % 2 == 0 ? " info=i" : "");
            loop_.handle(line);
        }
        std::string select = "select group=1-5";
        loop_.handle(select);
    }
    ~Console() {
        io::systemCalls().close(outputFd_);
        fs::remove_all(dir_);
    }

    // Carries out one request, with a fault armed during it (and only during
    // it, not while its replies are written out), and returns its replies.
    template <typename Fault>
    std::string run(std::string line, Fault& fault) {
        output_.flush();
        const auto before = static_cast<std::size_t>(io::systemCalls().lseek(outputFd_, 0, SEEK_CUR));
        const fs::path previous = fs::current_path();
        fs::current_path(dir_);
        fault.arm();
        loop_.handle(line);
        fault.disarm();
        output_.flush();
        fs::current_path(previous);
        return readFile(dir_ / ".replies").substr(before);
    }
    std::string run(std::string line) {
        struct NoFault {
            void arm() {}
            void disarm() {}
        } none;
        return run(std::move(line), none);
    }

    // Everything a request may change: the records in filing order, the
    // group lists, the rating tree's shape and the selection.
    std::string state() const {
        std::string text;
        const RecordStore& records = database_.records();
        for (RecordId id = records.first(); id != NoRecord; id = records.next(id)) {
            text += std::string(records.name(id)) + ',' + std::to_string(records.group(id)) + ',' +
                    std::to_string(records.ratingNum(id)) + '.' + std::to_string(records.ratingDen(id)) + ',' +
                    std::string(records.info(id).value_or("-")) + ';';
        }
        text += '|';
        database_.groups().forEachInRange(INT32_MIN, INT32_MAX, [&](RecordId id) { text += std::to_string(id) + ','; });
        text += '|';
        const std::vector<Colour> colours = database_.ratings().colours();
        std::vector<RecordId> pending{database_.ratings().root()};
        while (!pending.empty()) {
            const RecordId node = pending.back();
            pending.pop_back();
            if (node == NoRecord) {
                text += '-';
                continue;
            }
            text += std::to_string(node) + ':' + std::to_string(static_cast<int>(colours[node])) + ' ';
            pending.push_back(database_.ratings().right(node));
            pending.push_back(database_.ratings().left(node));
        }
        text += '|';
        for (const RecordId id : selection_.records) {
            text += std::to_string(id) + ',';
        }
        return text;
    }
    bool consistent(std::string& why) const { return database_.invariantsHold(why); }
    const fs::path& dir() const { return dir_; }

private:
    int openOutput() {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        outputFd_ = io::systemCalls().open((dir_ / ".replies").string().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        return outputFd_;
    }

    fs::path dir_;
    int outputFd_ = -1;
    Database database_;
    Selection selection_;
    ConsoleOutput output_;
    PipedRequests input_;  // not read: requests are handed to the loop
    RequestLoop loop_;
};

struct Request {
    const char* line;
    // What a failure may leave changed: nothing, the order of the selection
    // (a listing that failed after sorting it), or everything (a failed load
    // leaves an empty database).
    enum { Nothing, SelectionOrder, EmptyDatabase } changes;
};

const Request Requests[] = {
    {"insert name=fresh group=99 rating=1.2 info=new", Request::Nothing},
    {"insert name=n17 group=3 rating=3.4 info=replaced", Request::Nothing},
    {"remove name=n18", Request::Nothing},
    {"select", Request::Nothing},
    {"select name=n17", Request::Nothing},
    {"select rating=1.2", Request::Nothing},
    {"select group=2-4 rating=1.1-*", Request::Nothing},
    {"select name=n1*", Request::Nothing},
    {"reselect group=3", Request::Nothing},
    {"print name group rating info sort name", Request::SelectionOrder},
    {"print name sort rating", Request::SelectionOrder},
    {"print name sort group", Request::SelectionOrder},
    {"fileprint name group rating info sort rating end report.html HTML", Request::SelectionOrder},
    {"fileprint name info end report.txt", Request::Nothing},
    {"DBstore copy.db", Request::Nothing},
    {"DBload ../recdb-fault-start.db", Request::EmptyDatabase},
};

// The file that the load request reads, written once.
class StartFile : public ::testing::Environment {
public:
    void SetUp() override {
        Console console;
        console.run("DBstore ../recdb-fault-start.db");
    }
    void TearDown() override { fs::remove(fs::temp_directory_path() / "recdb-fault-start.db"); }
};

const auto* const startFile = ::testing::AddGlobalTestEnvironment(new StartFile);

// The state without the selection.
std::string databaseOf(const std::string& state) { return state.substr(0, state.rfind('|')); }

// Fails the first, second, third ... allocation of a request until the
// request needs no more, on a database of the given size.
long failEveryAllocation(const Request& request, int records) {
    std::string expectedReply;
    std::string expectedState;
    {
        Console console(records);
        expectedReply = console.run(request.line);
        expectedState = console.state();
    }
    for (long failAt = 1;; ++failAt) {
        Console console(records);
        const std::string before = console.state();
        AllocationFault fault{failAt};
        const std::string reply = console.run(request.line, fault);
        const std::string where = std::string(request.line) + " on " + std::to_string(records) +
                                  " records, failing allocation " + std::to_string(failAt);
        if (!allocationFailed) {
            EXPECT_EQ(reply, expectedReply) << where;
            EXPECT_EQ(console.state(), expectedState) << where;
            return failAt - 1;
        }
        std::string why;
        EXPECT_TRUE(console.consistent(why)) << where << ": " << why;
        const bool failedReply = reply.rfind("!: ", 0) == 0 || reply.find("\n!: ") != std::string::npos;
        const std::string after = console.state();
        if (!failedReply) {
            // An allocation that the request can do without, such as
            // compacting the texts: it still succeeds in full.
            EXPECT_EQ(reply, expectedReply) << where;
            EXPECT_EQ(after, expectedState) << where;
            continue;
        }
        switch (request.changes) {
        case Request::Nothing:
            EXPECT_EQ(after, before) << where;
            break;
        case Request::SelectionOrder:
            EXPECT_EQ(databaseOf(after), databaseOf(before)) << where;
            break;
        case Request::EmptyDatabase:
            EXPECT_TRUE(after.starts_with("||")) << where;
            break;
        }
    }
}

TEST(AllocationFaults, EveryRequestSurvivesEveryFailedAllocation) {
    for (const Request& request : Requests) {
        // Inserts grow one structure or another at one size or another:
        // try every size up to past the first few growths of each.
        const bool insert = std::string(request.line).starts_with("insert");
        long points = 0;
        for (int records = insert ? 0 : 300; records <= 300; records += insert ? 1 : 300) {
            points += failEveryAllocation(request, records);
            if (::testing::Test::HasFailure()) {
                return;
            }
        }
        std::cout << "allocations failed in turn for '" << request.line << "': " << points << '\n';
    }
}

// File system calls that fail on the N-th call while armed.
class FailingCalls final : public io::SystemCalls {
public:
    explicit FailingCalls(long failAt) : failAt_(failAt) {}
    void arm() { override_.emplace(*this); }
    void disarm() { override_.reset(); }
    // The call that failed, or null.
    const char* failed() const { return failed_; }

    int open(const char* path, int flags, mode_t mode) override {
        return fail("open") ? -1 : SystemCalls::open(path, flags, mode);
    }
    ssize_t write(int fd, const void* data, size_t size) override {
        return fail("write", ENOSPC) ? -1 : SystemCalls::write(fd, data, size);
    }
    int fsync(int fd) override { return fail("fsync") ? -1 : SystemCalls::fsync(fd); }
    int close(int fd) override {
        if (fail("close")) {
            SystemCalls::close(fd);
            return -1;
        }
        return SystemCalls::close(fd);
    }
    int stat(const char* path, io::FileStatus* info) override {
        return fail("stat") ? -1 : SystemCalls::stat(path, info);
    }
    int lstat(const char* path, io::FileStatus* info) override {
        return fail("lstat") ? -1 : SystemCalls::lstat(path, info);
    }
    int fchmod(int fd, mode_t mode) override { return fail("fchmod") ? -1 : SystemCalls::fchmod(fd, mode); }
    int rename(const char* from, const char* to) override {
        return fail("rename") ? -1 : SystemCalls::rename(from, to);
    }
    int link(const char* from, const char* to) override { return fail("link") ? -1 : SystemCalls::link(from, to); }
    int unlink(const char* path) override { return fail("unlink") ? -1 : SystemCalls::unlink(path); }

private:
    bool fail(const char* call, int error = EIO) {
        if (++calls_ != failAt_) {
            return false;
        }
        failed_ = call;
        errno = error;
        return true;
    }

    long failAt_;
    long calls_ = 0;
    const char* failed_ = nullptr;
    std::optional<io::SystemCallsOverride> override_;
};

// Fails the first, second, third ... file system call of stores and reports,
// onto an existing file and onto a new one, until the request runs through.
TEST(FileFaults, FailedWritesLeaveTheOldFileByteForByte) {
    const char* const lines[] = {"DBstore target", "fileprint name group rating info sort name end target HTML",
                                 "fileprint name end target"};
    for (const char* line : lines) {
        for (const bool existing : {true, false}) {
            long failAt = 1;
            for (;; ++failAt) {
                Console console;
                const fs::path target = console.dir() / "target";
                if (existing) {
                    std::ofstream(target, std::ios::binary) << "old contents";
                }
                const auto filesBefore = std::distance(fs::directory_iterator(console.dir()), {});
                FailingCalls calls(failAt);
                const std::string reply = console.run(line, calls);
                if (calls.failed() == nullptr) {
                    EXPECT_EQ(reply.rfind(":: ", 0), 0u) << line;
                    break;
                }
                const std::string where =
                    std::string(line) + ", failing call " + std::to_string(failAt) + " (" + calls.failed() + ")";
                const auto filesAfter = std::distance(fs::directory_iterator(console.dir()), {});
                if (reply.rfind("!: ", 0) == 0) {
                    EXPECT_EQ(fs::exists(target) ? readFile(target) : std::string("(none)"),
                              existing ? "old contents" : "(none)")
                        << where;
                    EXPECT_EQ(filesAfter, filesBefore) << where << ": a file was left behind";
                } else {
                    // A call whose failure the store can do without: closing
                    // the probe of the old file, or the second name that would
                    // have let it put the old file back, which is left behind
                    // only when it cannot be removed.
                    EXPECT_NE(readFile(target), "old contents") << where << ": " << reply;
                    EXPECT_EQ(filesAfter,
                              filesBefore + (existing ? 0 : 1) + (std::string(calls.failed()) == "unlink" ? 1 : 0))
                        << where;
                }
            }
            std::cout << "file system calls failed in turn for '" << line << "'" << (existing ? " onto a file" : "")
                      << ": " << failAt - 1 << '\n';
        }
    }
}

// A screen whose clock moves a second at each look, so that a progress line
// draws at its first report.
class HurriedScreen final : public ProgressScreen {
public:
    Clock::time_point now() override { return Clock::time_point(std::chrono::seconds(++seconds_)); }
    std::size_t columns() override { return 80; }
    void write(std::string_view text) override { written += text; }

    std::string written;

private:
    long seconds_ = 0;
};

// Whether the request's file is a device is looked at before the request,
// to keep the progress line off the terminal's own bytes. When that look
// fails, the file is taken for an ordinary one: the progress line shows,
// and the request runs and answers exactly as without the failure.
TEST(FileFaults, AFailedLookAtTheRequestFileChangesOnlyTheProgressLine) {
    struct LookCase {
        const char* target;
        bool failLook;
        bool progressShown;
    };
#ifdef _WIN32
    const char* const device = "NUL";
#else
    const char* const device = "/dev/null";
#endif
    const LookCase cases[] = {
        {device, false, false},
        {device, true, true},
        {"target", false, true},
        {"target", true, true},
    };
    for (const LookCase& c : cases) {
        const fs::path dir = fs::temp_directory_path() / ("recdb-look-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const fs::path replies = dir / ".replies";
        {
            const int fd = io::systemCalls().open(replies.string().c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
            Database database;
            Selection selection;
            ConsoleOutput output(fd, false);
            PipedRequests input(-1, output);
            HurriedScreen screen;
            ProgressLine progress(screen);
            RequestLoop loop(database, selection, input, output, &progress);
            std::string insert = "insert name=a group=1 rating=1.2";
            loop.handle(insert);
            std::string store = "DBstore " + (c.target == device ? std::string(c.target) : (dir / c.target).string());
            output.flush();
            FailingCalls calls(1);
            if (c.failLook) {
                calls.arm();
            }
            loop.handle(store);
            calls.disarm();
            output.flush();
            io::systemCalls().close(fd);
            EXPECT_EQ(calls.failed() != nullptr ? std::string(calls.failed()) : "", c.failLook ? "stat" : "")
                << c.target;
            EXPECT_EQ(!screen.written.empty(), c.progressShown) << c.target << ": " << screen.written;
        }
        EXPECT_EQ(readFile(replies),
                  testing::asText(":: New Data is inserted successfully.\n:: The DataBase is stored successfully.\n"))
            << c.target << (c.failLook ? ", the look failing" : "");
        if (c.target != device) {
            EXPECT_EQ(readFile(dir / c.target).size(), 4u + 1 + 16) << c.target;
        }
        fs::remove_all(dir);
    }
}

}  // namespace
}  // namespace recdb
