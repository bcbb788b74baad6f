#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace recdb {

// A decimal integer that fits in 32 bits, read strictly: an optional sign,
// then one or more digits, and nothing else (no spaces, no exponent, no
// trailing text). Unlike the console's lenient reading, anything else is
// refused rather than read as far as it goes.
std::optional<std::int32_t> readWholeNumber(std::string_view text);

struct Rating {
    std::int32_t num = 0;
    std::int32_t den = 0;
};

// A rating written as two whole numbers joined by a point, each read as
// readWholeNumber does ("-1.0", "4.05" are the pairs (-1, 0) and (4, 5)).
std::optional<Rating> readRating(std::string_view text);

}  // namespace recdb
