#pragma once

#include <cstdint>
#include <vector>

namespace recdb {

// A segment tree over an array of ranks that finds, in O(log n) without
// recursion, the last position of a range holding a rank at most p or the
// first holding a rank at least p, and takes single changes.
class RankTree {
public:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);

    explicit RankTree(const std::vector<std::uint32_t>& ranks);

    void set(std::size_t position, std::uint32_t rank);
    // The largest position in first..last whose rank is at most p, or None.
    std::size_t lastAtMost(std::size_t first, std::size_t last, std::uint32_t p) const;
    // The smallest position in first..last whose rank is at least p, or None.
    std::size_t firstAtLeast(std::size_t first, std::size_t last, std::uint32_t p) const;

private:
    // The tree nodes covering first..last, from left to right.
    std::vector<std::size_t> cover(std::size_t first, std::size_t last) const;

    std::size_t leaves_ = 1;
    std::vector<std::uint32_t> min_;
    std::vector<std::uint32_t> max_;
};

}  // namespace recdb
