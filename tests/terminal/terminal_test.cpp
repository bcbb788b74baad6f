// recdb at a terminal: driven through a pseudo-terminal as a user at the
// keyboard would drive it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* recdbBinary = nullptr;

const std::string Greeting =
    "recdb " RECDB_VERSION ": Tab completes, Ctrl-D ends, and \"man recdb\" describes the requests.";

// Why no pseudo-terminal can be had on this machine; empty when one can.
std::string whyNoTerminal() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        return std::string("posix_openpt: ") + std::strerror(errno);
    }
    std::string why;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        why = std::string("grantpt or unlockpt: ") + std::strerror(errno);
    } else if (const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY); slave < 0) {
        why = std::string("opening the terminal's far side: ") + std::strerror(errno);
    } else {
        ::close(slave);
    }
    ::close(master);
    return why;
}

// The terminal tests; skipped, with the reason, where no pseudo-terminal can
// be opened (as in some containers).
class Terminal : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = whyNoTerminal(); !why.empty()) {
            GTEST_SKIP() << "no pseudo-terminal: " << why;
        }
    }
};

// Which of recdb's standard input, output and error lead to the terminal;
// the others are pipes to the test.
struct Wiring {
    bool input = true;
    bool output = true;
    bool error = true;
};

// recdb on the far side of a pseudo-terminal. All that it writes, to the
// terminal and to any pipe, is gathered as the screen.
class TerminalRun {
public:
    explicit TerminalRun(Wiring wiring = {}) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return;
        }
        const std::string slave = ::ptsname(master_);
        const bool onTerminal[3] = {wiring.input, wiring.output, wiring.error};
        int pipes[3][2] = {{-1, -1}, {-1, -1}, {-1, -1}};
        for (int fd = 0; fd < 3; ++fd) {
            if (!onTerminal[fd] && ::pipe2(pipes[fd], O_CLOEXEC) != 0) {
                ADD_FAILURE() << "no pipe";
                return;
            }
        }
        child_ = ::fork();
        if (child_ == 0) {
            ::setsid();
            const int terminal = ::open(slave.c_str(), O_RDWR);
            ::dup2(onTerminal[0] ? terminal : pipes[0][0], 0);
            ::dup2(onTerminal[1] ? terminal : pipes[1][1], 1);
            ::dup2(onTerminal[2] ? terminal : pipes[2][1], 2);
            ::setenv("TERM", "xterm", 1);
            ::execl(recdbBinary, recdbBinary, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        input_ = master_;
        outputs_.push_back(master_);
        if (!onTerminal[0]) {
            ::close(pipes[0][0]);
            input_ = pipes[0][1];
        }
        for (int fd = 1; fd < 3; ++fd) {
            if (!onTerminal[fd]) {
                ::close(pipes[fd][1]);
                outputs_.push_back(pipes[fd][0]);
            }
        }
        lineEnd_ = wiring.input ? "\r" : "\n";
    }
    ~TerminalRun() {
        if (child_ > 0 && !exited_) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
        for (const int fd : outputs_) {
            ::close(fd);
        }
        if (input_ != master_) {
            ::close(input_);
        }
    }

    void type(const std::string& keys) {
        ASSERT_EQ(::write(input_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Types a request and the key that ends its line.
    void request(const std::string& line) { type(line + lineEnd_); }

    // Waits for a new prompt, and a moment more: keys typed before the
    // editor has taken the terminal over would be handled by the terminal
    // driver instead, as they would be for any line-editing program.
    bool prompted() {
        const bool shown = shows(">", seen_);
        seen_ = screen_.size();
        ::usleep(150000);
        return shown;
    }

    // Reads the screen output until it holds text (after position from);
    // false after ten seconds. Only a failing check waits that long, and a
    // loaded machine or an unoptimised build (coverage) needs more than a
    // second or two for the larger loads.
    bool shows(const std::string& text, std::size_t from = 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (screen_.find(text, from) == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readFor(left)) {
                return false;
            }
        }
        return true;
    }
    // Gathers what comes for a while, or until every output has ended.
    void watch(std::chrono::milliseconds span) {
        const auto deadline = std::chrono::steady_clock::now() + span;
        for (auto left = span; left.count() > 0 && readFor(left);) {
            left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        }
    }
    const std::string& screen() const { return screen_; }

    // The exit status, once recdb has ended.
    int status() {
        int status = 0;
        ::waitpid(child_, &status, 0);
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    // Waits up to left for output and takes it; false when nothing came or
    // every output has ended.
    bool readFor(std::chrono::milliseconds left) {
        std::vector<pollfd> ready;
        for (const int fd : outputs_) {
            ready.push_back({fd, POLLIN, 0});
        }
        if (::poll(ready.data(), ready.size(), static_cast<int>(left.count())) <= 0) {
            return false;
        }
        bool open = false;
        for (const pollfd& output : ready) {
            if (output.revents == 0) {
                open = true;
                continue;
            }
            char buffer[4096];
            const ssize_t got = ::read(output.fd, buffer, sizeof buffer);
            if (got > 0) {
                screen_.append(buffer, static_cast<std::size_t>(got));
                open = true;
            }
        }
        return open;
    }

    int master_ = -1;
    int input_ = -1;
    std::vector<int> outputs_;
    std::string lineEnd_;
    pid_t child_ = -1;
    bool exited_ = false;
    std::string screen_;
    std::size_t seen_ = 0;
};

// A directory of its own for a test's files, removed with everything in it.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "recdb-terminal-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~ScratchDirectory() {
        if (!path_.empty()) {
            std::filesystem::remove_all(path_);
        }
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void appendInt32(std::string& out, std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((raw >> shift) & 0xFFu);
    }
}

// count records in the database file format, numbered from first: name,
// group 1, rating 1.2, and an info of infoLength bytes.
std::string databaseRecords(int first, int count, std::size_t nameLength, std::size_t infoLength) {
    std::string bytes;
    for (int k = first; k < first + count; ++k) {
        std::string name = std::to_string(k);
        name.insert(0, nameLength - name.size(), 'n');
        appendInt32(bytes, static_cast<std::int32_t>(name.size()));
        bytes += name;
        appendInt32(bytes, 1);
        appendInt32(bytes, 1);
        appendInt32(bytes, 2);
        appendInt32(bytes, static_cast<std::int32_t>(infoLength));
        bytes.append(infoLength, 'i');
    }
    return bytes;
}

// Whether the screen between a request's line and its reply shows the
// progress line as it should: drawn over itself in place, each time as the
// phase and its count, and blanked at last over its widest text, with the
// cursor back at the start of the line.
::testing::AssertionResult progressBlankedBefore(const std::string& screen, const std::string& reply,
                                                 const std::string& phase) {
    const std::size_t replyAt = screen.rfind(reply);
    const std::size_t lineEnd = screen.rfind('\n', replyAt);
    if (replyAt == std::string::npos || lineEnd == std::string::npos) {
        return ::testing::AssertionFailure() << "no reply after a request line";
    }
    const std::string shown = screen.substr(lineEnd + 1, replyAt - lineEnd - 1);
    std::vector<std::string> drawn;
    for (std::size_t at = 0; at < shown.size();) {
        const std::size_t next = std::min(shown.find('\r', at + 1), shown.size());
        if (shown[at] != '\r') {
            return ::testing::AssertionFailure() << "not drawn in place: " << shown;
        }
        drawn.push_back(shown.substr(at + 1, next - at - 1));
        at = next;
    }
    if (drawn.size() < 3 || !drawn.back().empty() ||
        drawn[drawn.size() - 2].find_first_not_of(' ') != std::string::npos) {
        return ::testing::AssertionFailure() << "not drawn, then blanked: " << shown;
    }
    const std::size_t blanked = drawn[drawn.size() - 2].size();
    for (std::size_t k = 0; k + 2 < drawn.size(); ++k) {
        if (drawn[k].rfind(phase, 0) != 0 || drawn[k].size() > blanked) {
            return ::testing::AssertionFailure() << "not the phase, or not blanked over: " << drawn[k];
        }
    }
    return ::testing::AssertionSuccess();
}

TEST_F(Terminal, EditingKeysChangeTheLineBeforeItIsSent) {
    TerminalRun terminal;
    ASSERT_TRUE(terminal.prompted());
    // Ctrl-A goes to the start of the line: "xit" becomes "exit".
    terminal.type(
        "xit\x01"
        "e\r");
    EXPECT_TRUE(terminal.shows(":: Good bye!")) << terminal.screen();
    EXPECT_EQ(terminal.status(), 0);
}

TEST_F(Terminal, HistoryRecallsEarlierRequests) {
    TerminalRun terminal;
    ASSERT_TRUE(terminal.prompted());
    terminal.type("insert name=a\r");
    ASSERT_TRUE(terminal.prompted());
    terminal.type("select\r");
    ASSERT_TRUE(terminal.prompted());
    // Ctrl-P twice: the insert again, which now replaces the record.
    terminal.type("\x10\x10\r");
    EXPECT_TRUE(terminal.shows("The data with this name is removed.")) << terminal.screen();
}

TEST_F(Terminal, TabCompletesKeywords) {
    TerminalRun terminal;
    ASSERT_TRUE(terminal.prompted());
    terminal.type("sel\t\r");
    EXPECT_TRUE(terminal.shows("The Selecting is done successfully.")) << terminal.screen();
}

TEST_F(Terminal, CtrlCDropsTheLineAndCtrlDEnds) {
    TerminalRun terminal;
    ASSERT_TRUE(terminal.prompted());
    terminal.type("garbage");
    ASSERT_TRUE(terminal.shows("garbage"));
    terminal.type("\x03");
    ASSERT_TRUE(terminal.prompted()) << terminal.screen();
    terminal.type("select\r");
    EXPECT_TRUE(terminal.shows("The Selecting is done successfully.")) << terminal.screen();
    EXPECT_EQ(terminal.screen().find("Unknown Request Type"), std::string::npos);
    ASSERT_TRUE(terminal.prompted());
    terminal.type("\x04");
    EXPECT_TRUE(terminal.shows(":: Good bye!")) << terminal.screen();
    EXPECT_EQ(terminal.status(), 0);
}

// A fileprint into a FIFO that the test leaves unread for a second blocks
// in its writes: long enough for the progress line, which shows only where
// input, output and error are all the terminal. The greeting needs input
// and output there.
TEST_F(Terminal, ProgressAndGreetingShowOnlyAtATerminal) {
    struct WiringCase {
        const char* label;
        Wiring wiring;
        bool greeting;
        bool progress;
    };
    const WiringCase cases[] = {
        {"all at the terminal", {}, true, true},
        {"piped input", {.input = false}, false, false},
        {"piped output", {.output = false}, false, false},
        {"standard error piped", {.error = false}, true, false},
    };
    ScratchDirectory directory;
    const std::string database = directory.file("records.db");
    const std::string report = directory.file("report");
    {
        // About 4 MB of report: far more than the pipe and the writer's
        // buffer hold.
        std::FILE* file = std::fopen(database.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string bytes = databaseRecords(0, 40000, 40, 60);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        ASSERT_EQ(std::fclose(file), 0);
    }
    ASSERT_EQ(::mkfifo(report.c_str(), 0600), 0);
    const std::string printed = ":: The Printing in file is done successfully.";
    for (const WiringCase& c : cases) {
        TerminalRun terminal(c.wiring);
        ASSERT_TRUE(terminal.prompted()) << c.label;
        terminal.request("DBload " + database);
        ASSERT_TRUE(terminal.prompted()) << c.label << terminal.screen();
        terminal.request("select");
        ASSERT_TRUE(terminal.prompted()) << c.label << terminal.screen();
        const int reader = ::open(report.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        terminal.request("fileprint name info end " + report);
        terminal.watch(std::chrono::milliseconds(1000));
        std::size_t reportBytes = 0;
        for (char buffer[65536];;) {
            const ssize_t got = ::read(reader, buffer, sizeof buffer);
            if (got == 0) {
                break;
            }
            if (got > 0) {
                reportBytes += static_cast<std::size_t>(got);
            } else {
                ASSERT_EQ(errno, EAGAIN);
                terminal.watch(std::chrono::milliseconds(5));
            }
        }
        ::close(reader);
        EXPECT_EQ(reportBytes, 40000u * 102u) << c.label;
        ASSERT_TRUE(terminal.shows(printed)) << c.label << terminal.screen();
        const std::string& screen = terminal.screen();
        EXPECT_EQ(screen.find(Greeting) != std::string::npos, c.greeting) << c.label << screen;
        EXPECT_EQ(screen.find("writing report: ") != std::string::npos, c.progress) << c.label << screen;
        if (c.greeting && c.wiring.error) {
            EXPECT_EQ(screen.rfind(Greeting + "\r\n>", 0), 0u) << "the greeting comes first: " << screen;
        }
        if (c.progress) {
            EXPECT_TRUE(progressBlankedBefore(screen, printed, "writing report: ")) << c.label;
        }
    }
}

// A DBload from a FIFO reads the records it is fed, slowly, then fails on a
// name length out of range. The progress line is blanked before the failure
// is answered; a Ctrl-C pressed meanwhile is held until then and only drops
// the empty line that follows.
TEST_F(Terminal, AFailedRequestBlanksItsProgressAndCtrlCWaitsForIt) {
    ScratchDirectory directory;
    const std::string feed = directory.file("feed");
    ASSERT_EQ(::mkfifo(feed.c_str(), 0600), 0);
    TerminalRun terminal;
    ASSERT_TRUE(terminal.prompted());
    terminal.request("DBload " + feed);
    int writer = -1;
    for (int attempt = 0; attempt < 200 && writer < 0; ++attempt) {
        writer = ::open(feed.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        terminal.watch(std::chrono::milliseconds(10));
    }
    ASSERT_GE(writer, 0) << "recdb did not open the FIFO";
    ASSERT_EQ(::fcntl(writer, F_SETFL, 0), 0);
    for (const int first : {0, 12288}) {
        const std::string bytes = databaseRecords(first, 12288, 6, 0);
        ASSERT_EQ(::write(writer, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        terminal.watch(std::chrono::milliseconds(700));
    }
    ASSERT_TRUE(terminal.shows("reading bytes: ")) << terminal.screen();
    terminal.type("\x03");
    terminal.watch(std::chrono::milliseconds(300));
    const char badNameLength[4] = {64, 0, 0, 0};
    ASSERT_EQ(::write(writer, badNameLength, sizeof badNameLength), 4);
    ::close(writer);
    const std::string failed = "!: The DataBase is loaded unsuccessfully:-4.";
    ASSERT_TRUE(terminal.shows(failed)) << terminal.screen();
    EXPECT_TRUE(progressBlankedBefore(terminal.screen(), failed, "reading bytes: "));
    ASSERT_TRUE(terminal.prompted());
    terminal.type("select\r");
    EXPECT_TRUE(terminal.shows("The Selecting is done successfully.")) << terminal.screen();
    EXPECT_EQ(terminal.screen().find("Unknown Request Type"), std::string::npos) << terminal.screen();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RECDB\n", argv[0]);
        return 2;
    }
    recdbBinary = argv[1];
    return RUN_ALL_TESTS();
}
