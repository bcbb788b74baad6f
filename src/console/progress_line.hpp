#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/progress.hpp"

namespace recdb {

// What a progress line is drawn on, with the clock it goes by.
class ProgressScreen {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~ProgressScreen() = default;
    virtual Clock::time_point now() = 0;
    // The width of the screen in columns; 0 when it cannot be told.
    virtual std::size_t columns() = 0;
    virtual void write(std::string_view text) = 0;
};

// The progress of one request at a time as a single line, such as
// "reading records: 40960 of 100000 (40%)". Nothing shows during a
// request's first half second, so quick requests leave no trace; after that
// the line is drawn in place at most four times a second, always narrower
// than the screen so that it never wraps. end() blanks the line and puts
// the cursor back at its start, where the request found it. Drawing
// allocates nothing.
class ProgressLine final : public io::ProgressReporter {
public:
    static constexpr ProgressScreen::Clock::duration Delay = std::chrono::milliseconds(500);
    static constexpr ProgressScreen::Clock::duration Interval = std::chrono::milliseconds(250);
    // The longest text drawn, whatever the width of the screen.
    static constexpr std::size_t MaxText = 100;

    explicit ProgressLine(ProgressScreen& screen) : screen_(screen) {}

    // A request begins: its half second starts now.
    void begin();
    void report(std::string_view phase, std::uint64_t done, std::uint64_t total) override;
    // The request has ended, whether done or failed.
    void end();

private:
    void draw(std::string_view phase, std::uint64_t done, std::uint64_t total);

    ProgressScreen& screen_;
    ProgressScreen::Clock::time_point started_{};
    ProgressScreen::Clock::time_point drawn_{};
    std::size_t room_ = 0;
    // Columns of the line that hold text drawn; 0 while nothing shows.
    std::size_t shown_ = 0;
    // What one write puts on the screen: a carriage return, at most MaxText
    // columns of text or blanks, and a carriage return when blanking.
    char buffer_[MaxText + 2];
};

}  // namespace recdb
