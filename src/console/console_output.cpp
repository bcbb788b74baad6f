#include "console/console_output.hpp"

#include <cerrno>
#include <unistd.h>

namespace recdb {

namespace {

constexpr std::size_t FlushThreshold = 1 << 16;

}  // namespace

ConsoleOutput::ConsoleOutput(int fd, bool interactive) : fd_(fd), interactive_(interactive) {}

ConsoleOutput::~ConsoleOutput() { flush(); }

void ConsoleOutput::write(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= FlushThreshold) {
        flush();
    }
}

void ConsoleOutput::writeLine(std::string_view line) {
    write(line);
    if (interactive_) {
        flush();
    }
}

void ConsoleOutput::flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
}

}  // namespace recdb
