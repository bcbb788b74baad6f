#pragma once

#include <string_view>

#include "selection/criteria.hpp"
#include "store/record_store.hpp"

namespace recdb {

// Whether a name matches a pattern in which each "*" stands for any run of
// bytes, also an empty one. The text before the first star must begin the
// name and the text after the last star must end it without overlapping it.
bool matchesPattern(std::string_view name, std::string_view pattern);

// Whether a record of the store satisfies every condition present.
bool matchesCriteria(const RecordStore& records, RecordId id, const Criteria& criteria);

// Whether a record read from a file (by recdb-file) satisfies every condition
// present.
bool matchesRecord(const RecordView& record, const Criteria& criteria);

}  // namespace recdb
