#pragma once

#include "request/conditions.hpp"
#include "store/database.hpp"
#include "store/record_ref_list.hpp"

namespace recdb {

// The current result: references to records of the database in the order in
// which select appended them or the last sort left them. The references are
// valid only until the database changes; the console guards their use.
struct Selection {
    RecordRefList entries;
};

// Empties the selection and fills it with the records that match, found by
// the first strategy that applies: one exact name through the name index;
// one exact rating through the rating index (in its walk order); a group
// range (ascending groups, each in its filing order); else a scan of all
// records in the order of addition.
void selectRecords(const Database& database, Selection& selection, const Criteria& criteria);

// Keeps only the entries that match, in their order.
void reselectRecords(Selection& selection, const Criteria& criteria);

}  // namespace recdb
