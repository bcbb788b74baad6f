#pragma once

#include <cstdint>
#include <string_view>

#include "store/record.hpp"

namespace recdb {

// Comparisons of two records. -1 and 1 mean the primary field differs;
// -2, 0 and 2 mean it is equal and the names decide. Swapping the arguments
// negates the result. Every comparison is a total preorder, which the ordered
// indexes and the selection sort rely on.

// Names byte by byte as unsigned values; a prefix sorts first. -1, 0 or 1.
int compareNames(std::string_view a, std::string_view b);
int compareByName(const Record& a, const Record& b);

// The rating order alone: -1, 0 (equal fractions) or 1. A second part of 0
// sorts below every other rating and all such ratings are equal. A negative
// second part is brought to positive by negating both parts, and the cross
// products are formed in 64 bits, so the order is the true fraction order.
int compareRatings(std::int32_t numA, std::int32_t denA, std::int32_t numB, std::int32_t denB);
// Ratings, then names.
int compareByRating(const Record& a, const Record& b);

// Groups as signed numbers, then names.
int compareByGroup(const Record& a, const Record& b);

}  // namespace recdb
