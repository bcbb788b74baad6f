#include "console/console_output.hpp"

namespace recdb {

ConsoleOutput::ConsoleOutput(int fd, bool interactive)
    : out_(fd, std::size_t{1} << 16, io::Content::Text), interactive_(interactive) {}

ConsoleOutput::~ConsoleOutput() { flush(); }

void ConsoleOutput::write(std::string_view text) { out_.write(text); }

void ConsoleOutput::writeLine(std::string_view line) {
    write(line);
    if (interactive_) {
        flush();
    }
}

void ConsoleOutput::flush() { static_cast<void>(out_.flush()); }

}  // namespace recdb
