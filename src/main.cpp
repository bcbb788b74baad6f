#include <memory>

#include "console/console_output.hpp"
#include "console/greeting.hpp"
#include "console/line_reader.hpp"
#include "console/request_loop.hpp"
#include "console/terminal.hpp"
#include "console/terminal_notes.hpp"
#include "console/terminal_screen.hpp"
#include "io/descriptor.hpp"
#include "io/process.hpp"

int main() {
    // A reader that goes away, or a file-size limit, must not end the run by
    // a signal: the write fails and the request says so.
    recdb::io::letWritesFail(true);
    const bool terminal = recdb::isTerminal(recdb::StandardInput) && recdb::isTerminal(recdb::StandardOutput);
    // A person watches standard error too: only then are the greeting, the
    // progress line, the notes and the questions shown, since what goes
    // there is for nobody else.
    const bool attended = terminal && recdb::isTerminal(recdb::StandardError);
    recdb::Database database;
    recdb::Selection selection;
    recdb::ConsoleOutput output(recdb::StandardOutput, terminal);
    std::unique_ptr<recdb::RequestSource> input;
    if (terminal) {
        input = recdb::typedRequests(output);
    } else {
        input = std::make_unique<recdb::PipedRequests>(recdb::StandardInput, output);
    }
    recdb::TerminalScreen screen(recdb::StandardError);
    recdb::ProgressLine progress(screen);
    recdb::TerminalNotes notes(screen);
    if (attended) {
        const std::string_view greeting = recdb::greeting();
        static_cast<void>(recdb::io::writeAll(recdb::StandardError, greeting.data(), greeting.size()));
    }
    recdb::RequestLoop loop(database, selection, *input, output, attended ? &progress : nullptr,
                            attended ? &notes : nullptr);
    return loop.run();
}
