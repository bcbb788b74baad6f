#pragma once

#include "store/record_compare.hpp"
#include "store/record_ref_list.hpp"

namespace recdb {

// Reorders the references of a list ascending by the comparison (only its
// sign counts); the list nodes stay, only the references they hold move.
// Records that compare 0 end in exactly the order that a Hoare partition sort
// gives: first record of a range as pivot, cursors from just outside both
// ends, exchange until they meet, then each part as a range of its own.
// Returns -1 for an empty list, else 0.
int sort(RecordRefList& list, RecordComparison compare);

}  // namespace recdb
