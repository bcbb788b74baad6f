#pragma once

#include <cstdint>
#include <vector>

namespace recdb {

// A segment tree of the least and the greatest rank of each stretch of an
// array of ranks, which finds in O(log n) without recursion the last position
// of a range holding a rank at most p or the first holding a rank at least p
// (the two moves of a partition sort's cursors), and takes single changes.
class MinMaxTree {
public:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);

    explicit MinMaxTree(const std::vector<std::uint32_t>& ranks);

    void set(std::size_t position, std::uint32_t rank);
    // The largest position in first..last whose rank is at most p, or None.
    std::size_t lastAtMost(std::size_t first, std::size_t last, std::uint32_t p) const;
    // The smallest position in first..last whose rank is at least p, or None.
    std::size_t firstAtLeast(std::size_t first, std::size_t last, std::uint32_t p) const;

    // The tree nodes visited so far by queries and changes: the work measure.
    std::uint64_t steps() const { return steps_; }

private:
    // The tree nodes covering first..last, from left to right.
    std::vector<std::size_t> cover(std::size_t first, std::size_t last) const;

    std::size_t leaves_ = 1;
    std::vector<std::uint32_t> min_;
    std::vector<std::uint32_t> max_;
    mutable std::uint64_t steps_ = 0;
};

}  // namespace recdb
