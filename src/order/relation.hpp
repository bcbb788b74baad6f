#pragma once

#include <cstdint>
#include <string_view>

namespace recdb {

// How one key relates to another in an order that has a primary field and
// settles ties of that field by name: the rating order (rating, then name).
// An order without a primary field, such as the name order, gives only
// Below, Same and Above. The values are ordered, so that a relation compares
// with Relation::Same as the keys compare.
enum class Relation : std::int8_t {
    Below = -2,             // the primary field sorts first
    SameKeyNameBelow = -1,  // the primary fields are equal; the name sorts first
    Same = 0,
    SameKeyNameAbove = 1,
    Above = 2,
};

// Whether the primary fields differ.
constexpr bool keysDiffer(Relation relation) { return relation == Relation::Below || relation == Relation::Above; }
constexpr bool isBelow(Relation relation) { return relation < Relation::Same; }
constexpr bool isAbove(Relation relation) { return relation > Relation::Same; }
// The relation with the two sides swapped.
constexpr Relation reversed(Relation relation) { return static_cast<Relation>(-static_cast<int>(relation)); }
// A name order's Below, Same or Above, as the tie-break under an equal
// primary field.
constexpr Relation asNameTie(Relation names) {
    return names == Relation::Below   ? Relation::SameKeyNameBelow
           : names == Relation::Above ? Relation::SameKeyNameAbove
                                      : Relation::Same;
}

// Names byte by byte as unsigned values; a prefix sorts first. Below, Same
// or Above. (char_traits<char> compares as unsigned char.)
inline Relation compareNames(std::string_view a, std::string_view b) {
    const int difference = a.compare(b);
    return difference < 0 ? Relation::Below : difference > 0 ? Relation::Above : Relation::Same;
}

// The rating order alone: Below, Same (equal fractions) or Above. A second
// part of 0 sorts below every other rating and all such ratings are equal. A
// negative second part is brought to positive by negating both parts, and
// the cross products are formed in 64 bits (each factor is at most 2^31 in
// magnitude, so they fit), so the order is the true fraction order. Inline:
// sorts and index lookups call it for nearly every comparison.
inline Relation compareRatings(std::int32_t numA, std::int32_t denA, std::int32_t numB, std::int32_t denB) {
    const std::int64_t signA = denA < 0 ? -1 : 1;
    const std::int64_t signB = denB < 0 ? -1 : 1;
    const std::int64_t nA = signA * numA;
    const std::int64_t dA = signA * denA;
    const std::int64_t nB = signB * numB;
    const std::int64_t dB = signB * denB;
    if (dA != 0 && dB != 0) {
        const std::int64_t left = nA * dB;
        const std::int64_t right = nB * dA;
        return left < right ? Relation::Below : left > right ? Relation::Above : Relation::Same;
    }
    const int present = (dA != 0) - (dB != 0);
    return present < 0 ? Relation::Below : present > 0 ? Relation::Above : Relation::Same;
}

}  // namespace recdb
