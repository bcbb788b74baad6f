#pragma once

#include <cstdint>
#include <string_view>

namespace recdb {

// The white space of the C library: space, tab, line feed, vertical tab,
// form feed and carriage return.
bool isWhiteSpace(char c);

// Reads a number as the C library's atoi does: leading white space, an
// optional sign, then decimal digits up to the first other character; no
// digits give 0. The value wraps around in 32-bit two's complement.
std::int32_t readNumber(std::string_view text);

// Reads a rating A.B: the numbers before and after the first ".", each as
// readNumber reads it. False, with nothing written, when there is no ".".
[[nodiscard]] bool readRatingPair(std::string_view text, std::int32_t& num, std::int32_t& den);

}  // namespace recdb
