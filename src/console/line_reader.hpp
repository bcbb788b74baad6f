#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "console/console_output.hpp"
#include "console/request_source.hpp"

namespace recdb {

// The request in a line typed at a terminal, as the piped input takes it,
// written into line without allocating (its room is made once).
void takeTypedRequest(std::string_view typed, std::string& line);

// Reads request lines from a descriptor in large blocks, as from a pipe or a
// file. Before each block is read it calls beforeRead, so that the console
// can flush what it wrote.
class LineReader {
public:
    LineReader(int fd, std::function<void()> beforeRead);

    // Skips all white space (blank lines included), then takes one line: its
    // first 255 bytes, without the line feed and a carriage return right
    // before it, and cut at a zero byte. The rest of an over-long line is
    // read and dropped. False when the input ends before a request begins;
    // a last line without a line feed is still a request.
    bool readRequest(std::string& line);

private:
    bool refill();

    int fd_;
    std::function<void()> beforeRead_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

// Requests from a pipe or a file: the prompt goes to the console's output,
// which is flushed only before the input is read. Nobody is there to answer
// a question: asking reads nothing and answers Ended.
class PipedRequests : public RequestSource {
public:
    PipedRequests(int fd, ConsoleOutput& output) : reader_(fd, [&output] { output.flush(); }), output_(output) {}

    bool readRequest(std::string& line) override {
        output_.write(">");
        return reader_.readRequest(line);
    }
    Answer ask(std::string_view, std::string&) override { return Answer::Ended; }

private:
    LineReader reader_;
    ConsoleOutput& output_;
};

}  // namespace recdb
