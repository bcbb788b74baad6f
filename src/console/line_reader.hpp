#pragma once

#include <functional>
#include <string>
#include <vector>

namespace recdb {

inline constexpr std::size_t MaxRequestLength = 255;

// Reads request lines from a descriptor in large blocks. Before each block is
// read it calls beforeRead, so that the console can flush what it wrote.
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

}  // namespace recdb
