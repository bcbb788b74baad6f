#include "console/terminal.hpp"

#include "console/terminal_screen.hpp"
#include "console/windows/console_requests.hpp"
#include "io/windows/win32.hpp"

namespace recdb {

bool isTerminal(int fd) { return io::win32::isConsole(io::win32::handleOf(fd)); }

std::unique_ptr<RequestSource> typedRequests(ConsoleOutput& output) {
    return std::make_unique<ConsoleRequests>(output);
}

// The width of the console's window: the line drawn stays within what
// shows, and the screen buffer is at least as wide.
std::size_t TerminalScreen::columns() {
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    if (GetConsoleScreenBufferInfo(io::win32::handleOf(fd_), &screen) == 0) {
        return 0;
    }
    const int width = screen.srWindow.Right - screen.srWindow.Left + 1;
    return width > 0 ? static_cast<std::size_t>(width) : 0;
}

}  // namespace recdb
