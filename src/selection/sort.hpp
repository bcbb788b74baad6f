#pragma once

#include "store/record_compare.hpp"
#include "store/record_ref_list.hpp"

namespace recdb {

// The orders a selection can be sorted in: compareByName, compareByGroup and
// compareByRating.
enum class RecordOrder { ByName, ByGroup, ByRating };

// Reorders the references of a list ascending by the order's comparison
// (only its sign counts); the list nodes stay, only the references move.
// Records that compare 0 end in exactly the order that a Hoare partition sort
// gives: first record of a range as pivot, cursors from just outside both
// ends, exchange until they meet, then each part as a range of its own.
// Returns -1 for an empty list, else 0.
int sort(RecordRefList& list, RecordOrder order);

}  // namespace recdb
