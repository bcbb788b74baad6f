#pragma once

#include <string_view>

#include "request/conditions.hpp"
#include "store/record.hpp"

namespace recdb {

// Groups as signed numbers, then names: -1 or 1 when the groups differ,
// -2, 0 or 2 by name when they are equal.
int compareByGroup(const Record& a, const Record& b);

// Whether a name matches a pattern in which each "*" stands for any run of
// bytes, also an empty one. The text before the first star must begin the
// name and the text after the last star must end it without overlapping it.
bool matchesPattern(std::string_view name, std::string_view pattern);

// 0 when the record satisfies every condition present, -1 when it fails one.
int matchesCriteria(const Record& record, const Criteria& criteria);

}  // namespace recdb
