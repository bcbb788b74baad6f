#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/progress_line.hpp"
#include "io/progress.hpp"

namespace recdb {
namespace {

// A screen with a clock that moves only when told, and a column count.
class FakeScreen : public ProgressScreen {
public:
    Clock::time_point now() override { return Clock::time_point(std::chrono::milliseconds(atMs)); }
    std::size_t columns() override { return width; }
    void write(std::string_view text) override { written += text; }

    long atMs = 0;
    std::size_t width = 80;
    std::string written;
};

// One step of a request: a report at a moment, or (phase null) its end.
struct Step {
    long atMs;
    const char* phase;
    std::uint64_t done;
    std::uint64_t total;
};

struct LineCase {
    const char* label;
    std::size_t width;
    std::vector<Step> steps;
    std::string screen;
};

// Blanking a line of count columns. (Built by appending: "\r" + std::string
// meets a false -Wrestrict warning of GCC 12.)
std::string blanks(std::size_t count) {
    std::string text = "\r";
    text.append(count, ' ');
    text += '\r';
    return text;
}

TEST(ProgressLine, DrawsAfterTheDelayAtMostFourTimesASecondAndBlanksAtTheEnd) {
    const std::string longPhase(200, 'x');
    const std::vector<LineCase> cases = {
        {"a quick request leaves nothing",
         80,
         {{100, "reading records", 4096, 9000}, {499, "reading records", 8192, 9000}, {499, nullptr, 0, 0}},
         ""},
        {"a known total: count and share",
         80,
         {{500, "reading records", 40960, 100000}, {900, nullptr, 0, 0}},
         "\rreading records: 40960 of 100000 (40%)" + blanks(79)},
        {"an unknown total: the count alone",
         80,
         {{600, "counting records", 8192, 0}, {700, nullptr, 0, 0}},
         "\rcounting records: 8192" + blanks(79)},
        {"a phase without a count",
         80,
         {{600, "sorting records", 0, 0}, {700, nullptr, 0, 0}},
         "\rsorting records" + blanks(79)},
        {"redraws wait a quarter second",
         80,
         {{500, "storing records", 1, 4},
          {749, "storing records", 2, 4},
          {750, "storing records", 3, 4},
          {800, nullptr, 0, 0}},
         "\rstoring records: 1 of 4 (25%)\rstoring records: 3 of 4 (75%)" + blanks(79)},
        {"a shorter text blanks the rest of a longer one",
         80,
         {{500, "counting records", 12288, 0}, {800, "sorting records", 0, 0}, {900, nullptr, 0, 0}},
         "\rcounting records: 12288\rsorting records        " + blanks(79)},
        {"never as wide as the screen",
         10,
         {{500, "reading records", 1, 2}, {600, nullptr, 0, 0}},
         "\rreading r" + blanks(9)},
        {"an unknown width counts as 80 columns",
         0,
         {{500, longPhase.c_str(), 0, 0}, {600, nullptr, 0, 0}},
         "\r" + std::string(79, 'x') + blanks(79)},
    };
    for (const LineCase& c : cases) {
        FakeScreen screen;
        screen.width = c.width;
        ProgressLine line(screen);
        line.begin();
        for (const Step& step : c.steps) {
            screen.atMs = step.atMs;
            if (step.phase == nullptr) {
                line.end();
            } else {
                line.report(step.phase, step.done, step.total);
            }
        }
        EXPECT_EQ(screen.written, c.screen) << c.label;
    }
}

TEST(ProgressLine, EachRequestWaitsItsOwnHalfSecond) {
    FakeScreen screen;
    ProgressLine line(screen);
    line.begin();
    screen.atMs = 600;
    line.report("storing records", 1, 2);
    line.end();
    screen.written.clear();
    line.begin();
    screen.atMs = 1000;
    line.report("storing records", 1, 2);
    line.end();
    EXPECT_EQ(screen.written, "");
}

// Every call a reporter receives.
class Calls : public io::ProgressReporter {
public:
    void report(std::string_view phase, std::uint64_t done, std::uint64_t total) override {
        seen.push_back(std::string(phase) + " " + std::to_string(done) + "/" + std::to_string(total));
    }
    std::vector<std::string> seen;
};

TEST(ProgressMeter, ReportsItsStartThenEveryStrideAndEachRun) {
    Calls calls;
    io::ProgressMeter meter(calls, "reading records", 100000);
    for (std::uint32_t k = 0; k < 2 * io::ProgressMeter::Stride + 5; ++k) {
        meter.advance();
    }
    meter.advanceBy(10);
    const std::vector<std::string> expected = {"reading records 0/100000", "reading records 4096/100000",
                                               "reading records 8192/100000", "reading records 8207/100000"};
    EXPECT_EQ(calls.seen, expected);
}

}  // namespace
}  // namespace recdb
