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

Fraction normalized(std::int32_t num, std::int32_t den) {
    if (den < 0) {
        return {-static_cast<std::int64_t>(num), -static_cast<std::int64_t>(den)};
    }
    return {num, den};
}

}  // namespace

int compareRatings(std::int32_t numA, std::int32_t denA, std::int32_t numB, std::int32_t denB) {
    const Fraction x = normalized(numA, denA);
    const Fraction y = normalized(numB, denB);
    if (x.denominator != 0 && y.denominator != 0) {
        // Each factor is at most 2^31 in magnitude, so the products fit.
        const std::int64_t left = x.numerator * y.denominator;
        const std::int64_t right = y.numerator * x.denominator;
        return (left > right) - (left < right);
    }
    return (x.denominator != 0) - (y.denominator != 0);
}

int compareByRating(const Record& a, const Record& b) {
    const int primary = compareRatings(a.ratingNum, a.ratingDen, b.ratingNum, b.ratingDen);
    return primary != 0 ? primary : compareNamesAsTie(a, b);
}

}  // namespace recdb
