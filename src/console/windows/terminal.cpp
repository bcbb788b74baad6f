#include "console/terminal.hpp"

#include <windows.h>

#include <io.h>

#include "console/terminal_screen.hpp"
#include "console/windows/console_requests.hpp"

namespace recdb {

namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

}  // namespace

bool isTerminal(int fd) {
    DWORD mode = 0;
    return GetConsoleMode(handleOf(fd), &mode) != 0;
}

std::unique_ptr<RequestSource> typedRequests(ConsoleOutput& output) {
    return std::make_unique<ConsoleRequests>(output);
}

// The width of the console's window: the line drawn stays within what
// shows, and the screen buffer is at least as wide.
std::size_t TerminalScreen::columns() {
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    if (GetConsoleScreenBufferInfo(handleOf(fd_), &screen) == 0) {
        return 0;
    }
    return static_cast<std::size_t>(screen.srWindow.Right - screen.srWindow.Left + 1);
}

}  // namespace recdb
