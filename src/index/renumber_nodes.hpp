#pragma once

#include <utility>
#include <vector>

#include "index/node_id.hpp"

namespace recdb {

// Renumbers the nodes of an array, a node number being its place in it: the
// links that link(item, map) is given rewrite themselves through map, and the
// item at n moves to numberOf(n), a permutation, along its cycles in place.
template <typename Array, typename NumberOf, typename Link>
void renumberNodes(Array& items, NumberOf numberOf, Link link) {
    const auto map = [&numberOf](NodeId node) { return node == NoNode ? NoNode : numberOf(node); };
    for (auto& item : items) {
        link(item, map);
    }
    std::vector<bool> placed(items.size());
    for (NodeId start = 0; start < items.size(); ++start) {
        if (placed[start]) {
            continue;
        }
        auto carried = items[start];
        NodeId at = start;
        do {
            const NodeId target = numberOf(at);
            std::swap(carried, items[target]);
            placed[target] = true;
            at = target;
        } while (at != start);
    }
}

}  // namespace recdb
