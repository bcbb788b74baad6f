#include "index/bulk_load.hpp"

#include <cassert>

#include "index/key_sort.hpp"

namespace recdb {

void BulkLoad::fileAll(KeyOrder& keys, const RecordKeys& records, IndexOrder order, std::size_t count,
                       const BulkProgress& progress) {
    assert(nodes_.root() == NoRecord && count < NodeWord::LeafLimit);
    const std::span<RecordId> sorted = keys.bulkEntries(count);
    sortKeys(records, order, sorted);
    fileByRank(sorted, progress);
    // The key order's leaves are filled in rank order, each to the full;
    // node k is the record of rank k until the renumbering.
    KeyOrder::noteBulkLeaves(
        count, [this](std::size_t rank) -> NodeWord& { return nodes_.word(static_cast<RecordId>(rank)); });
    const auto numberOf = [&sorted](RecordId rank) { return sorted[rank]; };
    const auto prefetchNumberOf = [&sorted](RecordId rank) { __builtin_prefetch(&sorted[rank]); };
    nodes_.renumber(numberOf, prefetchNumberOf);
    colours_.renumber(numberOf, prefetchNumberOf);
    keys.finishBulk(count);
}

// The records are filed in an order unrelated to their ranks, so each filing
// touches far places of the node array: its neighbours', then their
// parents' and the uncle's. They are fetched into the cache for the filings
// some steps ahead, a level of the tree further each time the filing comes
// nearer, from the neighbours foreseen when it was Ahead steps away (a guess:
// closer ones may be filed meanwhile). Reads only what an earlier step
// fetched, so that waiting for memory overlaps the filings in between.
void BulkLoad::fetchAhead(FilingForesight& foresight, const NeighbourSet& filed, std::size_t k,
                          std::size_t count) const {
    constexpr std::size_t Ahead = FilingForesight::Ahead;
    const NodeStore& nodes = nodes_;  // held in a register across the calls below
    if (k + Ahead < count) {
        const RecordId later = filingRank(k + Ahead);
        FilingForesight::Neighbours& near = foresight.at(k + Ahead);
        near = {filed.previous(later), filed.next(later)};
        for (const std::uint32_t node : near) {
            if (node != NeighbourSet::None) {
                nodes.prefetch(node);
            }
        }
    }
    if (k + Ahead / 2 < count) {
        for (const std::uint32_t node : foresight.at(k + Ahead / 2)) {
            if (node != NeighbourSet::None && nodes.parent(node) != NoRecord) {
                nodes.prefetch(nodes.parent(node));
            }
        }
    }
    if (k + Ahead / 4 < count) {
        for (const std::uint32_t node : foresight.at(k + Ahead / 4)) {
            if (node == NeighbourSet::None || nodes.parent(node) == NoRecord) {
                continue;
            }
            const RecordId parent = nodes.parent(node);
            const RecordId uncle = nodes.sibling(node);
            if (uncle != NoRecord) {
                nodes.prefetch(uncle);
            }
            if (nodes.parent(parent) != NoRecord) {
                nodes.prefetch(nodes.parent(parent));
            }
        }
    }
}

// Builds the tree of inserting the records numbered 0..size-1 one by one in
// that order, with each record's rank in sorted as its node number, so that
// neighbours in key order, which the insertions touch together, lie side by
// side in memory. Each record's place comes from its neighbours among the
// records filed before it: the nearest filed ranks below and above its own.
void BulkLoad::fileByRank(std::span<const RecordId> sorted, const BulkProgress& progress) {
    const std::size_t count = sorted.size();
    nodes_.startOver(count);
    for (std::size_t k = 0; k < count; ++k) {
        holdRank(sorted[k], k);
    }
    NeighbourSet filed(count);
    FilingForesight foresight;
    for (std::size_t k = 0; k < count; ++k) {
        fetchAhead(foresight, filed, k, count);
        const std::uint32_t rank = filingRank(k);
        static_assert(NeighbourSet::None == NoRecord, "a missing neighbour is no node");
        repairs_.insert(rank, filed.previous(rank), filed.next(rank));
        filed.insert(rank);
        if ((k + 1) % BulkProgressStride == 0 && progress) {
            progress(k + 1);
        }
    }
}

}  // namespace recdb
