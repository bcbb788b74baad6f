#pragma once

#include <cstdint>
#include <string_view>

#include "order/relation.hpp"

namespace recdb {

// The order of an ordered index: by name, or by rating and then name.
enum class IndexOrder : std::uint8_t { ByName, ByRating };

// What an index keeps of a record's key inline, so that most comparisons are
// decided without reading the record: the first 8 name bytes, big-endian and
// zero-padded (split in two halves, so that the key packs into 16 bytes with
// 4-byte alignment), and the rating pair.
struct IndexKey {
    std::uint32_t prefixHigh = 0;
    std::uint32_t prefixLow = 0;
    std::int32_t ratingNum = 0;
    std::int32_t ratingDen = 0;

    std::uint64_t prefix() const { return std::uint64_t{prefixHigh} << 32 | prefixLow; }
};

IndexKey indexKeyOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen);

// The name order of two keys: Below, Same or Above. The full names are read,
// through nameA() and nameB(), only when the prefixes tie.
template <typename NameA, typename NameB>
Relation compareKeyedNames(const IndexKey& a, NameA nameA, const IndexKey& b, NameB nameB) {
    if (a.prefixHigh != b.prefixHigh || a.prefixLow != b.prefixLow) {
        return a.prefix() < b.prefix() ? Relation::Below : Relation::Above;
    }
    return compareNames(nameA(), nameB());
}

// The comparison of an index order on two keys: exactly what the record
// comparisons of the name and the rating order give for the records.
template <typename NameA, typename NameB>
Relation compareKeyed(IndexOrder order, const IndexKey& a, NameA nameA, const IndexKey& b, NameB nameB) {
    if (order == IndexOrder::ByRating) {
        const Relation primary = compareRatings(a.ratingNum, a.ratingDen, b.ratingNum, b.ratingDen);
        if (primary != Relation::Same) {
            return primary;
        }
        return asNameTie(compareKeyedNames(a, nameA, b, nameB));
    }
    return compareKeyedNames(a, nameA, b, nameB);
}

}  // namespace recdb
