#include <unistd.h>
#include <clocale>
#include <csignal>
#include <memory>

#include "console/console_output.hpp"
#include "console/greeting.hpp"
#include "console/line_editor.hpp"
#include "console/line_reader.hpp"
#include "console/request_loop.hpp"
#include "console/terminal_screen.hpp"
#include "io/descriptor.hpp"

int main() {
    // A reader that goes away, or a file-size limit, must not end the run by
    // a signal: the write fails and the request says so.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    const bool terminal = ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
    recdb::Database database;
    recdb::Selection selection;
    recdb::ConsoleOutput output(STDOUT_FILENO, terminal);
    std::unique_ptr<recdb::RequestSource> input;
    if (terminal) {
        // The terminal's encoding, so that editing moves over whole characters.
        std::setlocale(LC_CTYPE, "");
        input = std::make_unique<recdb::EditedRequests>();
        const std::string_view greeting = recdb::greeting();
        static_cast<void>(recdb::io::writeAll(STDERR_FILENO, greeting.data(), greeting.size()));
    } else {
        input = std::make_unique<recdb::PipedRequests>(STDIN_FILENO, output);
    }
    // Progress shows only where a person watches both the dialogue and
    // standard error.
    recdb::TerminalScreen screen(STDERR_FILENO);
    recdb::ProgressLine progress(screen);
    const bool showProgress = terminal && ::isatty(STDERR_FILENO) == 1;
    recdb::RequestLoop loop(database, selection, *input, output, showProgress ? &progress : nullptr);
    return loop.run();
}
