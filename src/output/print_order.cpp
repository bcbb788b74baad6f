#include "output/print_order.hpp"

#include "selection/sort.hpp"

namespace recdb {

bool sortForListing(const RecordStore& records, Selection& selection, SortKey sortKey) {
    if ((sortKey & NameField) != 0) {
        return sort(records, selection.records, RecordOrder::ByName);
    }
    if ((sortKey & GroupField) != 0) {
        return sort(records, selection.records, RecordOrder::ByGroup);
    }
    if ((sortKey & RatingField) != 0) {
        return sort(records, selection.records, RecordOrder::ByRating);
    }
    return true;
}

}  // namespace recdb
