#pragma once

#include <vector>

#include "selection/criteria.hpp"
#include "store/database.hpp"

namespace recdb {

// The current result: the numbers of records of the database, in the order
// in which select found them or the last sort left them. They are valid only
// until the database changes; the console guards their use.
struct Selection {
    std::vector<RecordId> records;
};

// Whether the rating bounds are equal fractions: select then walks the
// rating index.
bool isExactRating(const Criteria& criteria);

// Replaces the selection with the records that match, found by the first
// strategy that applies: one exact name through the name index; one exact
// rating through the rating index (in its walk order); a group range
// (ascending groups, each in its filing order); else a scan of all records
// in the order of addition. False when memory ran out; the selection is then
// as it was.
[[nodiscard]] bool selectRecords(const Database& database, Selection& selection, const Criteria& criteria);

// Keeps only the entries that match, in their order.
void reselectRecords(const RecordStore& records, Selection& selection, const Criteria& criteria);

}  // namespace recdb
