#include "index/neighbour_set.hpp"

#include <bit>

namespace recdb {

NeighbourSet::NeighbourSet(std::size_t size) {
    std::size_t bits = size == 0 ? 1 : size;
    do {
        const std::size_t words = (bits + 63) / 64;
        levels_.emplace_back(words, 0);
        bits = words;
    } while (bits > 1);
}

void NeighbourSet::insert(std::uint32_t number) {
    std::size_t index = number;
    for (std::vector<std::uint64_t>& level : levels_) {
        std::uint64_t& word = level[index / 64];
        const bool wasEmpty = word == 0;
        word |= std::uint64_t{1} << (index % 64);
        if (!wasEmpty) {
            return;
        }
        index /= 64;
    }
}

std::uint32_t NeighbourSet::previous(std::uint32_t number) const {
    std::size_t index = number;
    for (std::size_t level = 0; level < levels_.size(); ++level) {
        const std::uint64_t below = levels_[level][index / 64] & ((std::uint64_t{1} << (index % 64)) - 1);
        if (below != 0) {
            index = index / 64 * 64 + 63 - static_cast<std::size_t>(std::countl_zero(below));
            while (level-- > 0) {
                index = index * 64 + 63 - static_cast<std::size_t>(std::countl_zero(levels_[level][index]));
            }
            return static_cast<std::uint32_t>(index);
        }
        index /= 64;
    }
    return None;
}

std::uint32_t NeighbourSet::next(std::uint32_t number) const {
    std::size_t index = number;
    for (std::size_t level = 0; level < levels_.size(); ++level) {
        const std::uint64_t above = levels_[level][index / 64] & ~((std::uint64_t{2} << (index % 64)) - 1);
        if (above != 0) {
            index = index / 64 * 64 + static_cast<std::size_t>(std::countr_zero(above));
            while (level-- > 0) {
                index = index * 64 + static_cast<std::size_t>(std::countr_zero(levels_[level][index]));
            }
            return static_cast<std::uint32_t>(index);
        }
        index /= 64;
    }
    return None;
}

}  // namespace recdb
