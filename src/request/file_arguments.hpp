#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "output/fields.hpp"

namespace recdb {

inline constexpr std::size_t MaxFileNameLength = 127;

// Takes the first word of the rest (possibly empty) as a file name and
// returns the rest after it; no result when the word is longer than
// MaxFileNameLength characters.
std::optional<std::string_view> parseFileName(std::string_view rest, std::string& fileName);

// Html when the first word is exactly "HTML", Text for any other word.
// Returns the rest after the word.
std::string_view parsePrintType(std::string_view rest, PrintType& printType);

}  // namespace recdb
