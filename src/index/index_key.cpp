#include "index/index_key.hpp"

namespace recdb {

IndexKey indexKeyOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen) {
    // Big-endian packing with zero padding orders two prefixes as the byte
    // comparison of the names orders them, whenever the prefixes differ.
    std::uint64_t prefix = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        const std::uint64_t byte = k < name.size() ? static_cast<unsigned char>(name[k]) : 0;
        prefix = prefix << 8 | byte;
    }
    return {static_cast<std::uint32_t>(prefix >> 32), static_cast<std::uint32_t>(prefix), ratingNum, ratingDen};
}

}  // namespace recdb
