#include "order/index_key.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace recdb {

IndexKey indexKeyOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen) {
    // Big-endian packing with zero padding orders two prefixes as the byte
    // comparison of the names orders them, whenever the prefixes differ.
    // Most names hold 8 bytes, read at once; a shorter one is copied into
    // zeros. (The view of an empty name, a rating probe's, may have no data
    // pointer, which memcpy must not be given even for no bytes; copy_n
    // takes it.)
    std::uint64_t prefix = 0;
    if (name.size() >= sizeof prefix) {
        std::memcpy(&prefix, name.data(), sizeof prefix);
    } else {
        unsigned char bytes[sizeof prefix] = {};
        std::copy_n(name.data(), name.size(), bytes);
        std::memcpy(&prefix, bytes, sizeof prefix);
    }
    if constexpr (std::endian::native == std::endian::little) {
        prefix = __builtin_bswap64(prefix);
    }
    return {static_cast<std::uint32_t>(prefix >> 32), static_cast<std::uint32_t>(prefix), ratingNum, ratingDen};
}

}  // namespace recdb
