#pragma once

#include <string_view>

#include "output/fields.hpp"

namespace recdb {

// Reads field words into fields and, after the word "sort", into sortKey,
// only adding bits. The word "end" closes the list; other words are skipped.
// Returns the rest after "end", or the empty rest when the list has none.
std::string_view parsePrintFields(std::string_view rest, FieldSet& fields, SortKey& sortKey);

}  // namespace recdb
