#include "console/windows/console_requests.hpp"

#include <windows.h>

#include <atomic>
#include <cerrno>

#include "console/line_reader.hpp"
#include "console/terminal.hpp"
#include "io/descriptor.hpp"
#include "io/system_calls.hpp"

namespace recdb {

namespace {

// Set by Ctrl-C, on the thread that Windows starts for it; taken by the
// reader, which thereby holds a Ctrl-C pressed while a request runs until
// it next prompts.
std::atomic<bool> interrupted{false};
HANDLE interruptEvent = nullptr;

BOOL WINAPI noteControl(DWORD type) {
    if (type != CTRL_C_EVENT) {
        return FALSE;
    }
    interrupted = true;
    SetEvent(interruptEvent);
    return TRUE;
}

// Takes a Ctrl-C noted since the last call: whether there was one.
bool takeInterrupt() {
    ResetEvent(interruptEvent);
    return interrupted.exchange(false);
}

// A Ctrl-C cuts the console's read off before Windows has called the
// handler: it is waited for briefly, so that it is not taken again later.
constexpr DWORD HandlerWait = 100;

HANDLE consoleInput() { return GetStdHandle(STD_INPUT_HANDLE); }

}  // namespace

ConsoleRequests::ConsoleRequests(ConsoleOutput& output) : output_(output) {
    interruptEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(noteControl, TRUE);
    DWORD mode = 0;
    if (GetConsoleMode(consoleInput(), &mode) != 0) {
        previousMode_ = mode;
        modeSet_ =
            SetConsoleMode(consoleInput(), mode | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT) != 0;
    }
}

ConsoleRequests::~ConsoleRequests() {
    if (modeSet_) {
        SetConsoleMode(consoleInput(), previousMode_);
    }
    SetConsoleCtrlHandler(noteControl, FALSE);
    CloseHandle(interruptEvent);
}

ConsoleRequests::Read ConsoleRequests::readLine(std::string& typed) {
    for (;;) {
        const std::size_t feed = unread_.find('\n');
        if (feed != std::string::npos) {
            typed.assign(unread_, 0, feed + 1);
            unread_.erase(0, feed + 1);
            return Read::Line;
        }
        char buffer[4096];
        const ssize_t got = io::systemCalls().read(StandardInput, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            WaitForSingleObject(interruptEvent, HandlerWait);
            static_cast<void>(takeInterrupt());
            unread_.clear();
            return Read::Interrupted;
        }
        if (got <= 0) {
            // Ctrl-Z then Enter, or a console that cannot be read: a last
            // line without its line end is still a request.
            typed.swap(unread_);
            unread_.clear();
            if (!typed.empty()) {
                return Read::Line;
            }
            return got == 0 ? Read::EndKey : Read::Failed;
        }
        unread_.append(buffer, static_cast<std::size_t>(got));
    }
}

bool ConsoleRequests::readRequest(std::string& line) {
    std::string typed;
    for (;;) {
        output_.write(">");
        output_.flush();
        // A Ctrl-C held while the last request ran drops the line now being
        // begun, as at a POSIX terminal.
        const Read read = takeInterrupt() ? Read::Interrupted : readLine(typed);
        if (read == Read::Interrupted) {
            // Ctrl-C cut the read off: the half-typed line is dropped.
            output_.write("\n");
            output_.flush();
            continue;
        }
        // A console that drops the half-typed line itself and reads on (as
        // Wine's does) has given the line typed after the Ctrl-C.
        static_cast<void>(takeInterrupt());
        if (read != Read::Line) {
            return false;
        }
        takeTypedRequest(typed, line);
        if (!line.empty()) {
            return true;
        }
    }
}

Answer ConsoleRequests::ask(std::string_view question, std::string& answer) {
    // The question goes to standard error; the console echoes the answer.
    static_cast<void>(io::writeAll(StandardError, question.data(), question.size()));
    std::string typed;
    Read read = takeInterrupt() ? Read::Interrupted : readLine(typed);
    if (read == Read::Line && takeInterrupt()) {
        // A console that drops the half-typed answer on Ctrl-C and reads on
        // (as Wine's does) gives the line typed after it: the question was
        // declined, and that line is the next request.
        unread_.insert(0, typed);
        read = Read::Interrupted;
    }
    switch (read) {
    case Read::Line:
        takeTypedRequest(typed, answer);
        return Answer::Given;
    case Read::Interrupted:
    case Read::EndKey:
        static_cast<void>(io::writeAll(StandardError, "\n", 1));
        return Answer::Declined;
    case Read::Failed:
        break;
    }
    return Answer::Ended;
}

}  // namespace recdb
