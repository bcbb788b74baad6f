#include "order/rating_pairs.hpp"

namespace recdb {

std::size_t RatingPairs::find(std::int32_t num, std::int32_t den) const {
    const std::uint64_t raw = std::uint64_t{static_cast<std::uint32_t>(num)} << 32 | static_cast<std::uint32_t>(den);
    // The top 13 bits of a multiplicative hash: TableSize is 2^13.
    std::size_t at = static_cast<std::size_t>((raw * 0x9E3779B97F4A7C15ull) >> 51);
    while (slots_[at].used && (slots_[at].pair.num != num || slots_[at].pair.den != den)) {
        at = (at + 1) % TableSize;
    }
    return at;
}

std::size_t RatingPairs::note(std::int32_t num, std::int32_t den) {
    const std::size_t at = find(num, den);
    if (slots_[at].used) {
        return slots_[at].number;
    }
    if (pairs_.size() == MaxPairs) {
        return Full;
    }
    slots_[at] = {{num, den}, pairs_.size(), true};
    pairs_.push_back({num, den});
    return slots_[at].number;
}

}  // namespace recdb
