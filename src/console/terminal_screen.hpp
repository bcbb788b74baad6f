#pragma once

#include "console/progress_line.hpp"

namespace recdb {

// A terminal's descriptor as a progress screen, with the steady clock; its
// width is asked of the system (in the terminal.cpp of each system).
// Writes that fail are passed over: progress is only a courtesy.
class TerminalScreen final : public ProgressScreen {
public:
    explicit TerminalScreen(int fd) : fd_(fd) {}

    Clock::time_point now() override { return Clock::now(); }
    std::size_t columns() override;
    void write(std::string_view text) override;

private:
    int fd_;
};

}  // namespace recdb
