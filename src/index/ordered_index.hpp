#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "index/bulk_progress.hpp"
#include "index/chain_set.hpp"
#include "index/colour_store.hpp"
#include "index/key_order.hpp"
#include "index/lookups.hpp"
#include "index/node_store.hpp"
#include "index/probe.hpp"
#include "index/repairs.hpp"
#include "order/index_key.hpp"
#include "order/record_id.hpp"
#include "order/record_keys.hpp"

namespace recdb {

// A red-black search tree of records with this system's own rebalancing
// rules: on insertion a missing uncle counts as red, and on removal the
// colour of the node taken out passes to its parent. The rules keep a
// correct search tree but do not bound its height (keys in order build a
// chain), and the tree's shape decides the order in which
// collectEqualPrimary delivers records and which of several equal records
// find meets first, so the shape and colours are kept exactly as the rules
// make them. What the index changes is the cost:
// - a new key's place is found from its neighbours in key order, kept in a
//   B+ tree (KeyOrder), not by a descent: it becomes the right child of its
//   predecessor if that has none, else the left child of its successor;
// - a removal takes the predecessor from the same order;
// - once a repair walks a long stretch of a chain (a path of single
//   children), the chain's colours move into a ChainSet, where a repair that
//   climbs it recolours or passes the whole stretch in one step; short
//   chains keep plain colour bits, which cost nothing to maintain;
// - lookups climb from the ends of the equal keys instead of descending.
// An insert costs O(log n) amortised. A removal costs that for each chain its
// repair crosses and a step for each level it climbs between chains; a
// lookup climbs at most twice the shorter way from an end of its run of equal
// keys to above the run's top; collectEqualPrimary also walks the paths from
// that top down to the run's ends. Those climbs and walks are bounded only by
// the tree's height. Nothing recurses.
//
// The index puts together parts that each keep one rule: the node store
// alone changes links (isolate, change, relink), the colour store alone
// changes colours, the repairs follow the rules case for case through those
// two, the key order notes each record's leaf, the lookups read, and the bulk
// load builds. The design, with drawings of every case: doc/ordered-index.md.
//
// Invariants (checked by invariantsHold): parent and child links agree; an
// in-order walk meets the records in non-decreasing order, a record equal to
// a node lying in its left subtree; the key order lists exactly the tree's
// nodes in in-order, each node knowing its leaf; the root is black and no red
// node has a red child; the chains of the ChainSet are exactly the tree's
// maximal single-child paths.
//
// A record's node number is its record number. The index owns its nodes,
// never the records.
class OrderedIndex {
public:
    using Probe = recdb::Probe;
    static Probe probeOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen) {
        return recdb::probeOf(name, ratingNum, ratingDen);
    }

    // The work done so far, counted in units that stay the same from run to
    // run: tests bound them to guard the costs.
    struct Work {
        std::uint64_t repairSteps = 0;  // steps of the insert and remove repairs
        std::uint64_t rotations = 0;
        std::uint64_t comparisons = 0;  // of keys, in the key order and in walks
        std::uint64_t nodeVisits = 0;   // nodes met by lookups and walks
        std::uint64_t chainSteps = 0;   // splay steps in the chain set

        std::uint64_t total() const { return repairSteps + rotations + comparisons + nodeVisits + chainSteps; }
    };

    // A repair that walks more than plainWalkLimit steps along a plain chain
    // hands the chain to the chain set; tests lower the limit to exercise it.
    static constexpr unsigned DefaultPlainWalkLimit = 16;

    OrderedIndex(IndexOrder order, const RecordKeys& records, unsigned plainWalkLimit = DefaultPlainWalkLimit)
        : order_(order),
          records_(records),
          colours_(nodes_, plainWalkLimit),
          keys_(records),
          comparer_(order, records),
          repairs_(nodes_, colours_),
          lookups_(nodes_, keys_, comparer_) {}
    OrderedIndex(const OrderedIndex&) = delete;
    OrderedIndex& operator=(const OrderedIndex&) = delete;

    // Allocates whatever inserting one record will need, for any record
    // number up to the records' idLimit() (a record added next gets at most
    // that number); may throw std::bad_alloc, changing nothing seen.
    void prepareInsert();
    // Files a record of the store; prepareInsert must have been called.
    void insert(RecordId id);
    // Takes a record out. Never allocates.
    void remove(RecordId id);
    // Files the records numbered 0..count-1 into an empty index as inserting
    // them one by one in that order would (a store filled from empty numbers
    // its records so). Tells progress how many are filed now and then.
    void insertAll(std::size_t count, const BulkProgress& progress = {});
    void clear();

    RecordId find(const Probe& probe) const { return lookups_.find(probe); }
    void collectEqualPrimary(const Probe& probe, std::vector<RecordId>& out) const {
        lookups_.collectEqualPrimary(probe, out);
    }

    std::size_t size() const { return keys_.size(); }
    RecordId root() const { return nodes_.root(); }
    RecordId left(RecordId node) const { return nodes_.left(node); }
    RecordId right(RecordId node) const { return nodes_.right(node); }
    RecordId parent(RecordId node) const { return nodes_.parent(node); }
    // The colour of every node of the tree, by node number, read without
    // changing anything (in one walk of the tree).
    std::vector<Colour> colours() const { return colours_.coloursOfTree(); }

    bool invariantsHold(std::string& why) const;
    Work work() const;

private:
    // What the key order reads and writes of a node: the word it shares.
    auto leafWords() {
        return [this](RecordId id) -> NodeWord& { return nodes_.word(id); };
    }
    auto leafWords() const {
        return [this](RecordId id) -> const NodeWord& { return nodes_.word(id); };
    }
    bool linksAndOrderHold(const std::vector<RecordId>& inOrder, std::string& why) const;

    IndexOrder order_;
    const RecordKeys& records_;
    NodeStore nodes_;
    ColourStore colours_;
    KeyOrder keys_;
    ProbeComparer comparer_;
    Repairs repairs_;
    Lookups lookups_;
};

}  // namespace recdb
