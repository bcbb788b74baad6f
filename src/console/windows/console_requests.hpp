#pragma once

#include <string>
#include <string_view>

#include "console/console_output.hpp"
#include "console/request_source.hpp"

namespace recdb {

// Requests typed at a Windows console, read with the console's own line
// input: editing within the line, the arrows, Home and End, and F7 for the
// requests typed before in this run. The text typed reaches the program as
// UTF-8 whatever the console's code page. Ctrl-C drops the line being typed
// and prompts again; pressed while a request runs it is held until the
// request is done. A line that begins with Ctrl-Z (Ctrl-Z then Enter) ends
// the input, and declines a question. While it lives, the console reads
// whole lines with echo.
class ConsoleRequests final : public RequestSource {
public:
    explicit ConsoleRequests(ConsoleOutput& output);
    ~ConsoleRequests() override;
    ConsoleRequests(const ConsoleRequests&) = delete;
    ConsoleRequests& operator=(const ConsoleRequests&) = delete;

    bool readRequest(std::string& line) override;
    Answer ask(std::string_view question, std::string& answer) override;

private:
    // A line, Ctrl-C, Ctrl-Z then Enter, or a console that cannot be read.
    enum class Read { Line, Interrupted, EndKey, Failed };
    Read readLine(std::string& typed);

    ConsoleOutput& output_;
    std::string unread_;  // what the console gave beyond the last line taken
    unsigned long previousMode_ = 0;
    bool modeSet_ = false;
};

}  // namespace recdb
