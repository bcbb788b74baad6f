#pragma once

#include <vector>

#include "store/record_store.hpp"

namespace recdb {

// The orders a selection can be sorted in: compareByName, compareByGroup and
// compareByRating.
enum class RecordOrder { ByName, ByGroup, ByRating };

// Reorders the records ascending by the order's comparison (only whether it
// is below, the same or above counts). Records that compare the same end in
// exactly the order that a Hoare partition sort gives: first record of a
// range as pivot, cursors from just outside both ends, exchange until they
// meet, then each part as a range of its own. False when memory ran out; the records are then as they were.
[[nodiscard]] bool sort(const RecordStore& records, std::vector<NodeId>& ids, RecordOrder order);

}  // namespace recdb
