#pragma once

#include <array>
#include <type_traits>
#include <utility>
#include <vector>

#include "order/record_id.hpp"

namespace recdb {

// Renumbers the nodes of an array, a node number being its place in it: the
// links (pointers to the items' members that hold node numbers) are rewritten
// through numberOf, and the item at n moves to numberOf(n), a permutation, in
// place.
// prefetchNumberOf(n) may fetch into the cache what numberOf(n) will read.
//
// Carrying the items along the permutation's cycles one by one waits for two
// cache misses per item, one after the other: where the next item goes, then
// the item there. Here several walks run by turns instead, so that their
// misses overlap. A walk starts at a place not yet done, picks its item up
// (leaving a hole), carries it to its target, picks up the item there, and so
// on until it fills a hole. The holes cut each cycle into stretches, one walk
// each; every place is filled exactly once, by the item that belongs there.
template <typename Array, typename NumberOf, typename PrefetchNumberOf, typename... Links>
void renumberNodes(Array& items, NumberOf numberOf, PrefetchNumberOf prefetchNumberOf, Links... links) {
    const auto map = [&numberOf](RecordId node) { return node == NoRecord ? NoRecord : numberOf(node); };
    for (auto& item : items) {
        ((item.*links = map(item.*links)), ...);
    }
    using Item = std::remove_reference_t<decltype(items[0])>;
    struct Walk {
        RecordId at = NoRecord;      // the place whose original item is carried
        RecordId target = NoRecord;  // where it goes, once looked up
        Item carried{};
    };
    const auto size = static_cast<RecordId>(items.size());
    std::vector<bool> done(size);
    std::vector<bool> hole(size);
    RecordId nextStart = 0;
    const auto start = [&](Walk& walk) {
        while (nextStart < size && (done[nextStart] || hole[nextStart])) {
            ++nextStart;
        }
        walk.at = nextStart < size ? nextStart : NoRecord;
        walk.target = NoRecord;
        if (walk.at != NoRecord) {
            walk.carried = items[walk.at];
            hole[walk.at] = true;
            prefetchNumberOf(walk.at);
        }
    };
    constexpr std::size_t Walks = 16;
    std::array<Walk, Walks> walks;
    for (Walk& walk : walks) {
        start(walk);
    }
    // Each turn of a walk does one of two steps, so that what the step needs
    // was fetched a whole round of turns before: look the target up and fetch
    // its item, or put the carried item in place.
    for (std::size_t active = Walks; active > 0;) {
        active = 0;
        for (Walk& walk : walks) {
            if (walk.at == NoRecord) {
                continue;
            }
            ++active;
            if (walk.target == NoRecord) {
                walk.target = numberOf(walk.at);
                __builtin_prefetch(&items[walk.target], 1);
                continue;
            }
            const RecordId target = walk.target;
            if (hole[target]) {
                items[target] = walk.carried;
                hole[target] = false;
                done[target] = true;
                start(walk);
                continue;
            }
            std::swap(walk.carried, items[target]);
            done[target] = true;
            walk.at = target;
            walk.target = NoRecord;
            prefetchNumberOf(target);
        }
    }
}

}  // namespace recdb
