#pragma once

#include <cstdint>

namespace recdb {

// Bit sets of record fields: which fields a listing shows (FieldSet) and
// which one it is sorted by (SortKey).
using FieldSet = std::uint8_t;
using SortKey = std::uint8_t;

inline constexpr std::uint8_t NameField = 1;
inline constexpr std::uint8_t GroupField = 2;
inline constexpr std::uint8_t RatingField = 4;
inline constexpr std::uint8_t InfoField = 8;

// The form of a file report: plain text or an HTML page.
enum class PrintType : std::uint8_t { Text = 0, Html = 1 };

}  // namespace recdb
