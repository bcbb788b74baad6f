#include "io/process.hpp"

#include <csignal>

namespace recdb::io {

void letWritesFail(bool closedPipes) {
    std::signal(SIGXFSZ, SIG_IGN);
    if (closedPipes) {
        std::signal(SIGPIPE, SIG_IGN);
    }
}

std::vector<std::string> argumentsOf(int argc, char** argv) { return {argv, argv + argc}; }

Utf8Console::Utf8Console() = default;

Utf8Console::~Utf8Console() = default;

}  // namespace recdb::io
