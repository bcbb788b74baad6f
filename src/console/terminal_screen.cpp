#include "console/terminal_screen.hpp"

#include "io/descriptor.hpp"

namespace recdb {

void TerminalScreen::write(std::string_view text) { static_cast<void>(io::writeAll(fd_, text.data(), text.size())); }

}  // namespace recdb
