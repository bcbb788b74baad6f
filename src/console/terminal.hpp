#pragma once

#include <memory>

#include "console/console_output.hpp"
#include "console/request_source.hpp"

namespace recdb {

// What a terminal is on the system the program runs on; POSIX systems and
// Windows each have their own implementation.

inline constexpr int StandardInput = 0;
inline constexpr int StandardOutput = 1;
inline constexpr int StandardError = 2;

// Whether a descriptor is a terminal (on Windows, a console).
bool isTerminal(int fd);

// Requests typed at the terminal, read with the system's own line input: on
// POSIX systems libedit (see EditedRequests), on Windows the console's line
// input (the arrows, Home and End, F7 for the requests typed before). Either
// way Ctrl-C drops the line being typed and is held while a request runs,
// and the end key (Ctrl-D; on Windows Ctrl-Z then Enter) ends the input.
// The prompt goes to output where the line input does not write it itself.
std::unique_ptr<RequestSource> typedRequests(ConsoleOutput& output);

}  // namespace recdb
