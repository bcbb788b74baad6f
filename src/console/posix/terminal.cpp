#include "console/terminal.hpp"

#include <sys/ioctl.h>
#include <unistd.h>
#include <clocale>

#include "console/line_editor.hpp"
#include "console/terminal_screen.hpp"

namespace recdb {

bool isTerminal(int fd) { return ::isatty(fd) == 1; }

std::unique_ptr<RequestSource> typedRequests(ConsoleOutput&) {
    // The terminal's encoding, so that editing moves over whole characters.
    std::setlocale(LC_CTYPE, "");
    return std::make_unique<EditedRequests>();
}

std::size_t TerminalScreen::columns() {
    winsize size{};
    return ::ioctl(fd_, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace recdb
