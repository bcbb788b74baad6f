#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

namespace recdb {

// The program's name, as its messages and --version give it.
inline constexpr std::string_view ToolName = "recdb-file";

// Starts a message line on err with the program's name: "recdb-file: ".
std::ostream& toolMessage(std::ostream& err);

// The messages of one command, all on standard error: errors always show;
// warnings and the closing line that tells what was done are dropped when
// the command runs quiet.
class ToolMessages {
public:
    explicit ToolMessages(std::ostream& err, bool quiet = false) : err_(err), quiet_(quiet) {}

    // Starts an error line: "recdb-file: ".
    std::ostream& error() { return toolMessage(err_); }
    // Starts a warning line, "recdb-file: warning: ", or a stream that
    // drops what it is given.
    std::ostream& warning();
    // Starts the line that tells what was done, or a stream that drops it.
    std::ostream& done();
    // The stream itself, for the steps that write whole error lines.
    std::ostream& errors() { return err_; }

private:
    std::ostream& err_;
    bool quiet_;
};

}  // namespace recdb
