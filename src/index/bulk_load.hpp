#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "index/bulk_progress.hpp"
#include "index/colour_store.hpp"
#include "index/key_order.hpp"
#include "index/neighbour_set.hpp"
#include "index/node_store.hpp"
#include "index/repairs.hpp"
#include "order/index_key.hpp"
#include "order/record_keys.hpp"

namespace recdb {

// The bulk load of an empty ordered index: files the records numbered
// 0..count-1 as inserting them one by one in that order would (a store filled
// from empty numbers its records so), finding every record's place from the
// final key order instead of the one built so far. It sorts the keys once,
// files the records by rank, each between its nearest filed neighbours, with
// the same attach and insert repair as one insert, renumbers the nodes from
// ranks to records, and builds the key order.
class BulkLoad {
public:
    BulkLoad(NodeStore& nodes, ColourStore& colours, Repairs& repairs)
        : nodes_(nodes), colours_(colours), repairs_(repairs) {}

    void fileAll(KeyOrder& keys, const RecordKeys& records, IndexOrder order, std::size_t count,
                 const BulkProgress& progress);

private:
    // The neighbours foreseen for the filings ahead of the current one.
    struct FilingForesight {
        static constexpr std::size_t Ahead = 16;
        using Neighbours = std::array<std::uint32_t, 2>;
        FilingForesight() { ahead.fill({NeighbourSet::None, NeighbourSet::None}); }
        Neighbours& at(std::size_t filing) { return ahead[filing % Ahead]; }
        std::array<Neighbours, Ahead> ahead;
    };

    void fileByRank(std::span<const RecordId> sorted, const BulkProgress& progress);
    void fetchAhead(FilingForesight& foresight, const NeighbourSet& filed, std::size_t k, std::size_t count) const;
    // While the records are filed, the leaf bits of node k hold the rank of
    // record k instead, which saves an array as large as the index.
    RecordId filingRank(std::size_t k) const { return nodes_.word(static_cast<RecordId>(k)).leafBits(); }
    void holdRank(RecordId record, std::size_t rank) {
        nodes_.word(record).setLeafBits(static_cast<std::uint32_t>(rank));
    }

    NodeStore& nodes_;
    ColourStore& colours_;
    Repairs& repairs_;
};

}  // namespace recdb
