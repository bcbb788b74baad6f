#pragma once

#include "io/progress.hpp"
#include "output/fields.hpp"
#include "selection/selection.hpp"

namespace recdb {

// Sorts the selection for a listing: by name when the sort key has the name
// bit, else by group, else by rating; info alone or no bit keeps the current
// order. The new order stays. A sort is reported to progress as a phase of
// its own. False when memory ran out (the order is then unchanged).
[[nodiscard]] bool sortForListing(const RecordStore& records, Selection& selection, SortKey sortKey,
                                  io::ProgressReporter& progress = io::noProgress());

}  // namespace recdb
