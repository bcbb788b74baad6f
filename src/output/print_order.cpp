#include "output/print_order.hpp"

#include <optional>

#include "selection/sort.hpp"

namespace recdb {

namespace {

std::optional<RecordOrder> orderOf(SortKey sortKey) {
    if ((sortKey & NameField) != 0) {
        return RecordOrder::ByName;
    }
    if ((sortKey & GroupField) != 0) {
        return RecordOrder::ByGroup;
    }
    if ((sortKey & RatingField) != 0) {
        return RecordOrder::ByRating;
    }
    return std::nullopt;
}

}  // namespace

bool sortForListing(const RecordStore& records, Selection& selection, SortKey sortKey, io::ProgressReporter& progress) {
    const std::optional<RecordOrder> order = orderOf(sortKey);
    if (!order) {
        return true;
    }
    // The sort cannot count its steps: it shows as a phase without a count.
    progress.report("sorting records", 0, 0);
    return sort(records, selection.records, *order);
}

}  // namespace recdb
