#pragma once

#include <string_view>

namespace recdb {

// The line, with its line end, that greets a person at a terminal before the
// first prompt: the program's name and version, the word that lists the
// requests, the keys that end (and, where they do, complete), and where the
// manual is: on POSIX systems "man recdb", named only when that manual page
// is installed; on Windows the HTML page beside the program.
std::string_view greeting();

}  // namespace recdb
