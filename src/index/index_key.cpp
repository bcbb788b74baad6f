#include "index/index_key.hpp"

#include <algorithm>

namespace recdb {

IndexKey indexKeyOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen) {
    // Big-endian packing with zero padding orders two prefixes as the byte
    // comparison of the names orders them, whenever the prefixes differ.
    // The view of an empty name (a rating probe's) may have no data pointer,
    // which memcpy must not be given even for no bytes; copy_n takes it.
    unsigned char bytes[8] = {};
    std::copy_n(name.data(), std::min<std::size_t>(name.size(), sizeof bytes), bytes);
    std::uint64_t prefix = 0;
    for (const unsigned char byte : bytes) {
        prefix = prefix << 8 | byte;
    }
    return {static_cast<std::uint32_t>(prefix >> 32), static_cast<std::uint32_t>(prefix), ratingNum, ratingDen};
}

}  // namespace recdb
