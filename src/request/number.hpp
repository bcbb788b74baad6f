#pragma once

#include <cstdint>
#include <string_view>

namespace recdb {

// Reads a number as the C library's atoi does: leading white space, an
// optional sign, then decimal digits up to the first other character; no
// digits give 0. The value wraps around in 32-bit two's complement.
std::int32_t readNumber(std::string_view text);

}  // namespace recdb
