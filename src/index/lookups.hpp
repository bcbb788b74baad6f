#pragma once

#include <cstdint>
#include <vector>

#include "index/key_order.hpp"
#include "index/node_store.hpp"
#include "index/probe.hpp"

namespace recdb {

// The lookups of an ordered index, which find the run of equal keys in the
// key order and climb from its ends instead of descending from the root, so
// that a chain as deep as the index costs them nothing while the run's ends
// lie near its top. They read the tree and the key order and change nothing
// but their count of node visits.
class Lookups {
public:
    Lookups(const NodeStore& nodes, const KeyOrder& keys, const ProbeComparer& comparer)
        : nodes_(nodes), keys_(keys), comparer_(comparer) {}

    // The record whose relation with the key is Same that a descent from the
    // root would meet first (the highest of them), or NoRecord.
    RecordId find(const Probe& probe) const;
    // Appends every record whose primary field equals the key's (any relation
    // but Below and Above), in pre-order of the tree below the highest such
    // record.
    void collectEqualPrimary(const Probe& probe, std::vector<RecordId>& out) const;

    std::uint64_t nodeVisits() const { return nodeVisits_; }

private:
    // How a record of a range relates to it: below, inside or above.
    enum class Side { Below, Inside, Above };

    template <typename Classify>
    RecordId topOfRange(RecordId first, RecordId last, Classify classify) const;

    const NodeStore& nodes_;
    const KeyOrder& keys_;
    const ProbeComparer& comparer_;
    mutable std::uint64_t nodeVisits_ = 0;
};

}  // namespace recdb
