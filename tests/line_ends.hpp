#pragma once

#include <string>
#include <string_view>

#include "io/output_file.hpp"

namespace recdb::testing {

// text with each line feed written as lineEnd.
inline std::string withLineEnds(std::string_view text, std::string_view lineEnd) {
    std::string lines;
    lines.reserve(text.size());
    for (const char c : text) {
        if (c == '\n') {
            lines += lineEnd;
        } else {
            lines += c;
        }
    }
    return lines;
}

// Text as a text file or standard output holds it: each line feed as the
// system's line end.
inline std::string asText(std::string_view text) { return withLineEnds(text, io::TextLineEnd); }

}  // namespace recdb::testing
