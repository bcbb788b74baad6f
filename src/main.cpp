#include <memory>

#include "console/console_output.hpp"
#include "console/greeting.hpp"
#include "console/line_reader.hpp"
#include "console/request_loop.hpp"
#include "console/terminal.hpp"
#include "console/terminal_screen.hpp"
#include "io/descriptor.hpp"
#include "io/process.hpp"

int main() {
    // A reader that goes away, or a file-size limit, must not end the run by
    // a signal: the write fails and the request says so.
    recdb::io::letWritesFail(true);
    const bool terminal = recdb::isTerminal(recdb::StandardInput) && recdb::isTerminal(recdb::StandardOutput);
    recdb::Database database;
    recdb::Selection selection;
    recdb::ConsoleOutput output(recdb::StandardOutput, terminal);
    std::unique_ptr<recdb::RequestSource> input;
    if (terminal) {
        input = recdb::typedRequests(output);
        const std::string_view greeting = recdb::greeting();
        static_cast<void>(recdb::io::writeAll(recdb::StandardError, greeting.data(), greeting.size()));
    } else {
        input = std::make_unique<recdb::PipedRequests>(recdb::StandardInput, output);
    }
    // Progress shows only where a person watches both the dialogue and
    // standard error.
    recdb::TerminalScreen screen(recdb::StandardError);
    recdb::ProgressLine progress(screen);
    const bool showProgress = terminal && recdb::isTerminal(recdb::StandardError);
    recdb::RequestLoop loop(database, selection, *input, output, showProgress ? &progress : nullptr);
    return loop.run();
}
