#include "console/line_reader.hpp"

#include <algorithm>
#include <cstring>

#include "io/descriptor.hpp"
#include "request/number.hpp"

namespace recdb {

namespace {

constexpr std::size_t BufferSize = 1 << 16;

}  // namespace

LineReader::LineReader(int fd, std::function<void()> beforeRead)
    : fd_(fd), beforeRead_(std::move(beforeRead)), buffer_(BufferSize) {}

bool LineReader::refill() {
    if (ended_) {
        return false;
    }
    if (beforeRead_) {
        beforeRead_();
    }
    const ssize_t got = io::readSome(fd_, buffer_.data(), buffer_.size());
    if (got <= 0) {
        ended_ = true;
        return false;
    }
    pos_ = 0;
    end_ = static_cast<std::size_t>(got);
    return true;
}

void takeTypedRequest(std::string_view typed, std::string& line) {
    while (!typed.empty() && isWhiteSpace(typed.front())) {
        typed.remove_prefix(1);
    }
    typed = typed.substr(0, typed.find('\n'));
    if (typed.ends_with('\r')) {
        typed.remove_suffix(1);
    }
    typed = typed.substr(0, typed.find('\0'));
    line.assign(typed.substr(0, MaxRequestLength));
}

bool LineReader::readRequest(std::string& line) {
    for (;;) {
        if (pos_ == end_ && !refill()) {
            return false;
        }
        if (!isWhiteSpace(buffer_[pos_])) {
            break;
        }
        ++pos_;
    }
    // Keep one byte beyond the limit, so that a carriage return ending a
    // line of exactly the limit can still be told apart and dropped.
    line.clear();
    std::size_t lineLength = 0;
    while (pos_ < end_ || refill()) {
        const char* start = buffer_.data() + pos_;
        const auto* feed = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
        const std::size_t chunk = feed != nullptr ? static_cast<std::size_t>(feed - start) : end_ - pos_;
        const std::size_t room = MaxRequestLength + 1 - line.size();
        line.append(start, std::min(chunk, room));
        lineLength += chunk;
        pos_ += chunk;
        if (feed != nullptr) {
            ++pos_;
            break;
        }
    }
    if (lineLength == line.size() && !line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    line.resize(std::min({line.size(), MaxRequestLength, line.find('\0')}));
    return true;
}

}  // namespace recdb
