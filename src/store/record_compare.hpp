#pragma once

#include "index/key_compare.hpp"
#include "store/record.hpp"

namespace recdb {

// The three orders of records, each a total preorder (which the ordered
// indexes and the selection sort rely on): swapping the arguments reverses
// the result. compareByName gives Below, Same or Above; the other two have a
// primary field and let the names settle its ties.

Relation compareByName(const Record& a, const Record& b);
// Ratings, then names.
Relation compareByRating(const Record& a, const Record& b);
// Groups as signed numbers, then names.
Relation compareByGroup(const Record& a, const Record& b);

}  // namespace recdb
