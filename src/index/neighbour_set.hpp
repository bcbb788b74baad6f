#pragma once

#include <cstdint>
#include <vector>

namespace recdb {

// A set of the numbers 0..size-1 that finds a number's neighbours among its
// members, the nearest below and above, in a few word operations: a bit per
// number, and above that a bit per nonzero word of the level below, up to a
// single word. A bulk load files each record between its nearest filed ranks.
class NeighbourSet {
public:
    static constexpr std::uint32_t None = UINT32_MAX;

    explicit NeighbourSet(std::size_t size);

    void insert(std::uint32_t number);
    // The largest member below number, or None.
    std::uint32_t previous(std::uint32_t number) const;
    // The smallest member above number, or None.
    std::uint32_t next(std::uint32_t number) const;

private:
    std::vector<std::vector<std::uint64_t>> levels_;
};

}  // namespace recdb
