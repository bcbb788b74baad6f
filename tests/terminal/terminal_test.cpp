// recdb at a terminal: driven through a pseudo-terminal as a user at the
// keyboard would drive it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <string>

namespace {

const char* recdbBinary = nullptr;

// recdb on the far side of a pseudo-terminal.
class Terminal {
public:
    Terminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return;
        }
        const std::string slave = ::ptsname(master_);
        child_ = ::fork();
        if (child_ == 0) {
            ::setsid();
            const int fd = ::open(slave.c_str(), O_RDWR);
            ::dup2(fd, 0);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::setenv("TERM", "xterm", 1);
            ::execl(recdbBinary, recdbBinary, static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Terminal() {
        if (child_ > 0 && !exited_) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
        ::close(master_);
    }

    void type(const std::string& keys) {
        ASSERT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

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
    // false after two seconds.
    bool shows(const std::string& text, std::size_t from = 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (screen_.find(text, from) == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd ready{master_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
                return false;
            }
            char buffer[4096];
            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            if (got <= 0) {
                return false;
            }
            screen_.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
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
    int master_ = -1;
    pid_t child_ = -1;
    bool exited_ = false;
    std::string screen_;
    std::size_t seen_ = 0;
};

TEST(Terminal, EditingKeysChangeTheLineBeforeItIsSent) {
    Terminal terminal;
    ASSERT_TRUE(terminal.prompted());
    // Ctrl-A goes to the start of the line: "xit" becomes "exit".
    terminal.type(
        "xit\x01"
        "e\r");
    EXPECT_TRUE(terminal.shows(":: Good bye!")) << terminal.screen();
    EXPECT_EQ(terminal.status(), 0);
}

TEST(Terminal, HistoryRecallsEarlierRequests) {
    Terminal terminal;
    ASSERT_TRUE(terminal.prompted());
    terminal.type("insert name=a\r");
    ASSERT_TRUE(terminal.prompted());
    terminal.type("select\r");
    ASSERT_TRUE(terminal.prompted());
    // Ctrl-P twice: the insert again, which now replaces the record.
    terminal.type("\x10\x10\r");
    EXPECT_TRUE(terminal.shows("The data with this name is removed.")) << terminal.screen();
}

TEST(Terminal, TabCompletesKeywords) {
    Terminal terminal;
    ASSERT_TRUE(terminal.prompted());
    terminal.type("sel\t\r");
    EXPECT_TRUE(terminal.shows("The Selecting is done successfully.")) << terminal.screen();
}

TEST(Terminal, CtrlCDropsTheLineAndCtrlDEnds) {
    Terminal terminal;
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
