#include <unistd.h>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <memory>

#include "console/console_output.hpp"
#include "console/greeting.hpp"
#include "console/line_editor.hpp"
#include "console/line_reader.hpp"
#include "console/manual_page.hpp"
#include "console/request_loop.hpp"
#include "console/terminal_notes.hpp"
#include "console/terminal_screen.hpp"
#include "io/descriptor.hpp"

int main() {
    // A reader that goes away, or a file-size limit, must not end the run by
    // a signal: the write fails and the request says so.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    const bool terminal = ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
    // A person watches standard error too: only then are the greeting, the
    // progress line, the notes and the questions shown, since what goes
    // there is for nobody else.
    const bool attended = terminal && ::isatty(STDERR_FILENO) == 1;
    recdb::Database database;
    recdb::Selection selection;
    recdb::ConsoleOutput output(STDOUT_FILENO, terminal);
    std::unique_ptr<recdb::RequestSource> input;
    if (terminal) {
        // The terminal's encoding, so that editing moves over whole characters.
        std::setlocale(LC_CTYPE, "");
        input = std::make_unique<recdb::EditedRequests>();
    } else {
        input = std::make_unique<recdb::PipedRequests>(STDIN_FILENO, output);
    }
    recdb::TerminalScreen screen(STDERR_FILENO);
    recdb::ProgressLine progress(screen);
    recdb::TerminalNotes notes(screen);
    if (attended) {
        const std::string_view greeting =
            recdb::greeting(recdb::manualPageInstalled(std::getenv("PATH"), std::getenv("MANPATH")));
        static_cast<void>(recdb::io::writeAll(STDERR_FILENO, greeting.data(), greeting.size()));
    }
    recdb::RequestLoop loop(database, selection, *input, output, attended ? &progress : nullptr,
                            attended ? &notes : nullptr);
    return loop.run();
}
