#pragma once

#include <string_view>

#include "io/output_file.hpp"
#include "output/text_sink.hpp"

namespace recdb {

// Standard output, a text stream (see io::Content), through a fixed buffer. On a terminal every line is flushed
// at its end; otherwise the buffer is flushed when it fills, when the console
// is about to wait for input, and at destruction. Nothing here allocates
// after construction. Write errors are not reported: the dialogue goes on,
// though nothing more reaches an output that failed once.
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
    io::OutputFile out_;
    bool interactive_;
};

}  // namespace recdb
