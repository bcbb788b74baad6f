#pragma once

#include <vector>

#include "store/record_store.hpp"

namespace recdb {

// The orders a selection can be sorted in: by name; by group (as signed
// numbers), then name; by rating (as fractions), then name.
enum class RecordOrder { ByName, ByGroup, ByRating };

// Reorders the records ascending by the order's comparison (only whether it
// is below, the same or above counts). Records that compare the same end in
// exactly the order that a Hoare partition sort gives: first record of a
// range as pivot, cursors from just outside both ends, exchange until they
// meet, then each part as a range of its own. False when memory ran out; the records are then as they were.
[[nodiscard]] bool sort(const RecordStore& records, std::vector<RecordId>& ids, RecordOrder order);

}  // namespace recdb
