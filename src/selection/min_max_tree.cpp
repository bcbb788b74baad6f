#include "selection/min_max_tree.hpp"

#include <algorithm>
#include <limits>

namespace recdb {

MinMaxTree::MinMaxTree(const std::vector<std::uint32_t>& ranks) {
    while (leaves_ < ranks.size()) {
        leaves_ *= 2;
    }
    // Padding leaves never answer: no rank is above the maximum or below 0
    // where they would have to, and queries stay inside the array anyway.
    min_.assign(2 * leaves_, std::numeric_limits<std::uint32_t>::max());
    max_.assign(2 * leaves_, 0);
    std::copy(ranks.begin(), ranks.end(), min_.begin() + static_cast<std::ptrdiff_t>(leaves_));
    std::copy(ranks.begin(), ranks.end(), max_.begin() + static_cast<std::ptrdiff_t>(leaves_));
    for (std::size_t node = leaves_ - 1; node >= 1; --node) {
        min_[node] = std::min(min_[2 * node], min_[2 * node + 1]);
        max_[node] = std::max(max_[2 * node], max_[2 * node + 1]);
    }
}

void MinMaxTree::set(std::size_t position, std::uint32_t rank) {
    std::size_t node = position + leaves_;
    min_[node] = max_[node] = rank;
    for (node /= 2; node >= 1; node /= 2) {
        ++steps_;
        min_[node] = std::min(min_[2 * node], min_[2 * node + 1]);
        max_[node] = std::max(max_[2 * node], max_[2 * node + 1]);
    }
}

std::vector<std::size_t> MinMaxTree::cover(std::size_t first, std::size_t last) const {
    std::vector<std::size_t> fromLeft;
    std::vector<std::size_t> fromRight;
    for (std::size_t l = first + leaves_, r = last + leaves_ + 1; l < r; l /= 2, r /= 2) {
        ++steps_;
        if (l % 2 == 1) {
            fromLeft.push_back(l++);
        }
        if (r % 2 == 1) {
            fromRight.push_back(--r);
        }
    }
    fromLeft.insert(fromLeft.end(), fromRight.rbegin(), fromRight.rend());
    return fromLeft;
}

std::size_t MinMaxTree::lastAtMost(std::size_t first, std::size_t last, std::uint32_t p) const {
    if (first > last) {
        return None;
    }
    const std::vector<std::size_t> nodes = cover(first, last);
    for (std::size_t k = nodes.size(); k-- > 0;) {
        std::size_t node = nodes[k];
        ++steps_;
        if (min_[node] > p) {
            continue;
        }
        while (node < leaves_) {
            ++steps_;
            node = min_[2 * node + 1] <= p ? 2 * node + 1 : 2 * node;
        }
        return node - leaves_;
    }
    return None;
}

std::size_t MinMaxTree::firstAtLeast(std::size_t first, std::size_t last, std::uint32_t p) const {
    if (first > last) {
        return None;
    }
    for (std::size_t node : cover(first, last)) {
        ++steps_;
        if (max_[node] < p) {
            continue;
        }
        while (node < leaves_) {
            ++steps_;
            node = max_[2 * node] >= p ? 2 * node : 2 * node + 1;
        }
        return node - leaves_;
    }
    return None;
}

}  // namespace recdb
