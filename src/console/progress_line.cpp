#include "console/progress_line.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace recdb {

namespace {

constexpr std::size_t AssumedColumns = 80;

// Appends to a fixed buffer, dropping what does not fit.
class BoundedText {
public:
    BoundedText(char* begin, std::size_t capacity) : begin_(begin), capacity_(capacity) {}

    void append(std::string_view text) {
        const std::size_t fits = std::min(text.size(), capacity_ - size_);
        std::memcpy(begin_ + size_, text.data(), fits);
        size_ += fits;
    }
    void append(std::uint64_t number) {
        char digits[20];
        const auto written = std::to_chars(digits, digits + sizeof digits, number);
        append(std::string_view(digits, static_cast<std::size_t>(written.ptr - digits)));
    }
    std::size_t size() const { return size_; }

private:
    char* begin_;
    std::size_t capacity_;
    std::size_t size_ = 0;
};

}  // namespace

void ProgressLine::begin() {
    started_ = screen_.now();
    shown_ = 0;
    const std::size_t columns = screen_.columns();
    // The last column is left free: writing there may wrap the line.
    room_ = std::min(MaxText, (columns == 0 ? AssumedColumns : columns) - 1);
}

void ProgressLine::report(std::string_view phase, std::uint64_t done, std::uint64_t total) {
    const ProgressScreen::Clock::time_point now = screen_.now();
    if (now - started_ < Delay || (shown_ > 0 && now - drawn_ < Interval) || room_ == 0) {
        return;
    }
    drawn_ = now;
    draw(phase, done, total);
}

void ProgressLine::draw(std::string_view phase, std::uint64_t done, std::uint64_t total) {
    buffer_[0] = '\r';
    BoundedText text(buffer_ + 1, room_);
    text.append(phase);
    if (done > 0 || total > 0) {
        text.append(": ");
        text.append(done);
    }
    if (total > 0) {
        text.append(" of ");
        text.append(total);
        text.append(" (");
        text.append(std::min(done, total) * 100 / total);
        text.append("%)");
    }
    const std::size_t length = text.size();
    const std::size_t blanks = shown_ > length ? shown_ - length : 0;
    std::memset(buffer_ + 1 + length, ' ', blanks);
    screen_.write({buffer_, 1 + length + blanks});
    shown_ = std::max(shown_, length);
}

void ProgressLine::end() {
    if (shown_ == 0) {
        return;
    }
    // The whole width is blanked: keys typed while the request ran are
    // echoed by the terminal after the text, and go too.
    buffer_[0] = '\r';
    std::memset(buffer_ + 1, ' ', room_);
    buffer_[1 + room_] = '\r';
    screen_.write({buffer_, room_ + 2});
    shown_ = 0;
}

}  // namespace recdb
