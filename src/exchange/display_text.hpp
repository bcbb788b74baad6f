#pragma once

#include <string>
#include <string_view>

namespace recdb {

// A text for a message on one line: in double quotes, with a quote and a
// backslash escaped, and every byte outside printable ASCII as \xHH; texts
// longer than limit bytes are cut there and end in "...".
std::string displayText(std::string_view text, std::size_t limit = 64);

}  // namespace recdb
