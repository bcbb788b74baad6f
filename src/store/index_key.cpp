#include "store/index_key.hpp"

#include "store/record_compare.hpp"

namespace recdb {

IndexKey indexKeyOf(const Record& record) {
    IndexKey key;
    // Big-endian packing with zero padding orders two prefixes as the byte
    // comparison of the names orders them, whenever the prefixes differ.
    bool ended = false;
    for (std::size_t k = 0; k < 8; ++k) {
        ended = ended || record.name[k] == '\0';
        const std::uint64_t byte = ended ? 0 : static_cast<unsigned char>(record.name[k]);
        key.namePrefix = key.namePrefix << 8 | byte;
    }
    key.ratingNum = record.ratingNum;
    key.ratingDen = record.ratingDen;
    return key;
}

int compareKeyedByName(const IndexKey& keyA, const Record& a, const IndexKey& keyB, const Record& b) {
    if (keyA.namePrefix != keyB.namePrefix) {
        return keyA.namePrefix < keyB.namePrefix ? -1 : 1;
    }
    return compareByName(a, b);
}

int compareKeyedByRating(const IndexKey& keyA, const Record& a, const IndexKey& keyB, const Record& b) {
    const int primary = compareRatings(keyA.ratingNum, keyA.ratingDen, keyB.ratingNum, keyB.ratingDen);
    if (primary != 0) {
        return primary;
    }
    if (keyA.namePrefix != keyB.namePrefix) {
        return keyA.namePrefix < keyB.namePrefix ? -2 : 2;
    }
    return compareNamesAsTie(a, b);
}

}  // namespace recdb
