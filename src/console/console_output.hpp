#pragma once

#include <string>
#include <string_view>

#include "output/text_sink.hpp"

namespace recdb {

// Standard output through a buffer. On a terminal every line is flushed at
// its end; otherwise the buffer is flushed when it fills, when the console
// is about to wait for input, and at destruction. Write errors are ignored.
class ConsoleOutput : public TextSink {
public:
    ConsoleOutput(int fd, bool interactive);
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;
    ~ConsoleOutput() override;

    void write(std::string_view text);
    void writeLine(std::string_view line) override;
    void flush();

private:
    int fd_;
    bool interactive_;
    std::string buffer_;
};

}  // namespace recdb
