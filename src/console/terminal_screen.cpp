#include "console/terminal_screen.hpp"

#include <sys/ioctl.h>

#include "io/descriptor.hpp"

namespace recdb {

std::size_t TerminalScreen::columns() {
    winsize size{};
    return ::ioctl(fd_, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void TerminalScreen::write(std::string_view text) { static_cast<void>(io::writeAll(fd_, text.data(), text.size())); }

}  // namespace recdb
