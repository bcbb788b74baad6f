#pragma once

#include <cstdint>
#include <string_view>

namespace recdb::io {

// Told how far a long piece of work has come: its phase (a short text such
// as "reading records", which must outlive the work) and the records done so
// far, of total (0 while the total is not known). What it shows, if
// anything, and how often it looks at the clock is its own affair.
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    virtual void report(std::string_view phase, std::uint64_t done, std::uint64_t total) = 0;
};

// The reporter for work that nobody watches: it does nothing.
class NoProgress final : public ProgressReporter {
public:
    void report(std::string_view, std::uint64_t, std::uint64_t) override {}
};

inline ProgressReporter& noProgress() {
    static NoProgress none;
    return none;
}

// Counts the work of one phase for a reporter, in records (or bytes). A loop
// calls advance() once per record, which costs a decrement and a test; only
// every Stride calls is the reporter called. Making a meter reports the
// phase's start.
class ProgressMeter {
public:
    static constexpr std::uint32_t Stride = 4096;

    ProgressMeter(ProgressReporter& reporter, std::string_view phase, std::uint64_t total = 0)
        : reporter_(reporter), phase_(phase), total_(total) {
        reporter_.report(phase_, 0, total_);
    }

    // One record, or the bytes of one record.
    void advance(std::uint64_t units = 1) {
        pending_ += units - 1;
        if (--countdown_ == 0) {
            advanceBy(0);
        }
    }
    // Counts a run of count records at once, and reports.
    void advanceBy(std::uint64_t count) {
        counted_ = done() + count;
        pending_ = 0;
        countdown_ = Stride;
        reporter_.report(phase_, counted_, total_);
    }
    // Sets the work done so far, and reports.
    void reach(std::uint64_t done) { advanceBy(done - this->done()); }
    std::uint64_t done() const { return counted_ + pending_ + (Stride - countdown_); }

private:
    ProgressReporter& reporter_;
    std::string_view phase_;
    std::uint64_t total_;
    std::uint64_t counted_ = 0;
    std::uint64_t pending_ = 0;  // units beyond one per call since the last report
    std::uint32_t countdown_ = Stride;
};

}  // namespace recdb::io
