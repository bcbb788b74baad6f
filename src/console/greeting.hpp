#pragma once

#include <string_view>

namespace recdb {

// The line, with its line end, that greets a person at a terminal before the
// first prompt: the program's name and version, the word that lists the
// requests, the keys that complete and end, and "man recdb" only when that
// manual page is installed.
std::string_view greeting(bool manualPageInstalled);

}  // namespace recdb
