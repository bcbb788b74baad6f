#pragma once

#include <cstdint>
#include <string_view>

namespace recdb {

// Bit sets of record fields: 1 name, 2 group, 4 rating, 8 info.
using FieldSet = std::uint8_t;
using SortKey = std::uint8_t;

inline constexpr std::uint8_t NameField = 1;
inline constexpr std::uint8_t GroupField = 2;
inline constexpr std::uint8_t RatingField = 4;
inline constexpr std::uint8_t InfoField = 8;

// Reads field words into fields and, after the word "sort", into sortKey,
// only adding bits. The word "end" closes the list; other words are skipped.
// Returns the rest after "end", or the empty rest when the list has none.
std::string_view parsePrintFields(std::string_view rest, FieldSet& fields, SortKey& sortKey);

}  // namespace recdb
