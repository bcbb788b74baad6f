#include "store/record_compare.hpp"

namespace recdb {

int compareNames(std::string_view a, std::string_view b) {
    // char_traits<char> compares as unsigned char, the required byte order.
    const int difference = a.compare(b);
    return (difference > 0) - (difference < 0);
}

int compareByName(const Record& a, const Record& b) { return compareNames(a.nameView(), b.nameView()); }

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
    return primary != 0 ? primary : 2 * compareByName(a, b);
}

int compareByGroup(const Record& a, const Record& b) {
    if (a.group != b.group) {
        return a.group > b.group ? 1 : -1;
    }
    return 2 * compareByName(a, b);
}

}  // namespace recdb
