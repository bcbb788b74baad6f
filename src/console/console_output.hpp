#pragma once

#include <memory>
#include <string_view>

#include "output/text_sink.hpp"

namespace recdb {

// Standard output through a fixed buffer. On a terminal every line is flushed
// at its end; otherwise the buffer is flushed when it fills, when the console
// is about to wait for input, and at destruction. Nothing here allocates
// after construction. Write errors are ignored: the dialogue goes on.
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
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};

}  // namespace recdb
