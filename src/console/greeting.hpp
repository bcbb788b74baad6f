#pragma once

#include <string_view>

namespace recdb {

// The line, with its line end, that greets a person at a terminal before the
// first prompt: the program's name and version, the keys that complete and
// end, and where the requests are described.
std::string_view greeting();

}  // namespace recdb
