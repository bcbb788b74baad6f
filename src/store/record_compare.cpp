#include "store/record_compare.hpp"

#include <cstring>

namespace recdb {

int compareByName(const Record& a, const Record& b) {
    // strcmp compares as unsigned char, which is the required byte order.
    const int difference = std::strcmp(a.name.data(), b.name.data());
    return (difference > 0) - (difference < 0);
}

int compareNamesAsTie(const Record& a, const Record& b) {
    return 2 * compareByName(a, b);
}

namespace {

struct Fraction {
    std::int64_t numerator;
    std::int64_t denominator;  // never negative
};

Fraction normalizedRating(const Record& r) {
    if (r.ratingDen < 0) {
        return {-static_cast<std::int64_t>(r.ratingNum), -static_cast<std::int64_t>(r.ratingDen)};
    }
    return {r.ratingNum, r.ratingDen};
}

}  // namespace

int compareByRating(const Record& a, const Record& b) {
    const Fraction x = normalizedRating(a);
    const Fraction y = normalizedRating(b);
    if (x.denominator != 0 && y.denominator != 0) {
        // Each factor is at most 2^31 in magnitude, so the products fit.
        const std::int64_t left = x.numerator * y.denominator;
        const std::int64_t right = y.numerator * x.denominator;
        if (left != right) {
            return left > right ? 1 : -1;
        }
    } else if (x.denominator != 0) {
        return 1;
    } else if (y.denominator != 0) {
        return -1;
    }
    return compareNamesAsTie(a, b);
}

}  // namespace recdb
