#include <csignal>
#include <unistd.h>

#include "console/console_output.hpp"
#include "console/line_reader.hpp"
#include "console/request_loop.hpp"

int main() {
    // A reader that goes away must not end the run by a signal.
    std::signal(SIGPIPE, SIG_IGN);
    recdb::Database database;
    recdb::Selection selection;
    recdb::ConsoleOutput output(STDOUT_FILENO, ::isatty(STDOUT_FILENO) == 1);
    recdb::LineReader input(STDIN_FILENO, [&output] { output.flush(); });
    recdb::RequestLoop loop(database, selection, input, output);
    return loop.run();
}
