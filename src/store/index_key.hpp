#pragma once

#include <cstdint>

#include "store/record.hpp"

namespace recdb {

// What an ordered index keeps of a record beside its reference, so that most
// comparisons on a descent are decided without reading the record itself.
struct IndexKey {
    std::uint64_t namePrefix = 0;  // the first 8 name bytes, big-endian, zero-padded
    std::int32_t ratingNum = 0;
    std::int32_t ratingDen = 0;
};

IndexKey indexKeyOf(const Record& record);

// A record comparison given each record with its key. It returns exactly
// what the record comparison of the same order returns, and reads the
// records only when the keys cannot decide.
using KeyedComparison = int (*)(const IndexKey& keyA, const Record& a, const IndexKey& keyB, const Record& b);

// The order of compareByName.
int compareKeyedByName(const IndexKey& keyA, const Record& a, const IndexKey& keyB, const Record& b);
// The order of compareByRating.
int compareKeyedByRating(const IndexKey& keyA, const Record& a, const IndexKey& keyB, const Record& b);

}  // namespace recdb
