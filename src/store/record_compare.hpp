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
// products are formed in 64 bits (each factor is at most 2^31 in magnitude,
// so they fit), so the order is the true fraction order. Inline: sorts and
// index lookups call it for nearly every comparison.
inline int compareRatings(std::int32_t numA, std::int32_t denA, std::int32_t numB, std::int32_t denB) {
    const std::int64_t signA = denA < 0 ? -1 : 1;
    const std::int64_t signB = denB < 0 ? -1 : 1;
    const std::int64_t nA = signA * numA;
    const std::int64_t dA = signA * denA;
    const std::int64_t nB = signB * numB;
    const std::int64_t dB = signB * denB;
    if (dA != 0 && dB != 0) {
        const std::int64_t left = nA * dB;
        const std::int64_t right = nB * dA;
        return (left > right) - (left < right);
    }
    return (dA != 0) - (dB != 0);
}
// Ratings, then names.
int compareByRating(const Record& a, const Record& b);

// Groups as signed numbers, then names.
int compareByGroup(const Record& a, const Record& b);

}  // namespace recdb
