#include "index/index_key.hpp"

#include <algorithm>
#include <cstring>

namespace recdb {

IndexKey indexKeyOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen) {
    // Big-endian packing with zero padding orders two prefixes as the byte
    // comparison of the names orders them, whenever the prefixes differ.
    // An empty name may have no address, which memcpy must not be given
    // even for no bytes.
    unsigned char bytes[8] = {};
    if (!name.empty()) {
        std::memcpy(bytes, name.data(), std::min<std::size_t>(name.size(), sizeof bytes));
    }
    std::uint64_t prefix = 0;
    for (const unsigned char byte : bytes) {
        prefix = prefix << 8 | byte;
    }
    return {static_cast<std::uint32_t>(prefix >> 32), static_cast<std::uint32_t>(prefix), ratingNum, ratingDen};
}

}  // namespace recdb
