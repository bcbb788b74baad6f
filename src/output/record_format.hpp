#pragma once

#include <cstdint>
#include <string>

#include "output/fields.hpp"
#include "store/record_store.hpp"

namespace recdb {

// Appends a number in plain decimal: no leading zeros, "-" when negative.
void appendNumber(std::string& out, std::int32_t value);

// Appends the chosen fields of a record in the fixed order name, group,
// rating, info: each shown field but info followed by a tab, the rating as
// its two numbers joined by a point, the info (when present) last.
void appendRecordFields(std::string& out, const RecordStore& records, NodeId id, FieldSet fields);

}  // namespace recdb
