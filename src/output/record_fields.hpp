#pragma once

#include <string>

#include "request/print_fields.hpp"
#include "selection/selection.hpp"
#include "store/record.hpp"

namespace recdb {

// Appends the chosen fields of a record in the fixed order name, group,
// rating, info: each shown field but info followed by a tab, the rating as
// its two numbers joined by a point, the info (when present) last.
void appendRecordFields(std::string& out, const Record& record, FieldSet fields);

// Appends a number in plain decimal.
void appendNumber(std::string& out, std::int32_t value);

// Sorts the selection by the sort key: by name when its bit is set, else by
// group, else by rating; info or no bit keeps the current order.
void sortBySortKey(Selection& selection, SortKey sortKey);

}  // namespace recdb
