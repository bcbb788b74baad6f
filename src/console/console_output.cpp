#include "console/console_output.hpp"

#include <cstring>

#include "io/descriptor.hpp"

namespace recdb {

namespace {

constexpr std::size_t BufferSize = 1 << 16;

}  // namespace

ConsoleOutput::ConsoleOutput(int fd, bool interactive)
    : fd_(fd), interactive_(interactive), buffer_(std::make_unique_for_overwrite<char[]>(BufferSize)) {}

ConsoleOutput::~ConsoleOutput() { flush(); }

void ConsoleOutput::write(std::string_view text) {
    if (used_ + text.size() > BufferSize) {
        flush();
        if (text.size() > BufferSize) {
            static_cast<void>(io::writeAll(fd_, text.data(), text.size()));
            return;
        }
    }
    std::memcpy(buffer_.get() + used_, text.data(), text.size());
    used_ += text.size();
}

void ConsoleOutput::writeLine(std::string_view line) {
    write(line);
    if (interactive_) {
        flush();
    }
}

void ConsoleOutput::flush() {
    if (used_ > 0) {
        static_cast<void>(io::writeAll(fd_, buffer_.get(), used_));
        used_ = 0;
    }
}

}  // namespace recdb
