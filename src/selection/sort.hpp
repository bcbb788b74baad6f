#pragma once

#include <cstdint>
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

// The work of sorts, counted in units that stay the same from run to run, so
// that tests bound it: comparisons of two records by the order's full
// comparison (the packed keys' own sort, std::sort of 16-byte words, takes
// O(n log n) of its cheap comparisons by the standard's guarantee and is not
// counted), and steps of the partition sort's cursors and exchanges.
struct SortWork {
    std::uint64_t comparisons = 0;
    std::uint64_t partitionSteps = 0;

    std::uint64_t total() const { return comparisons + partitionSteps; }
};
// The same sort, adding its work to work.
[[nodiscard]] bool sort(const RecordStore& records, std::vector<RecordId>& ids, RecordOrder order, SortWork& work);

}  // namespace recdb
