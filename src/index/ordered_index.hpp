#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "index/bulk_progress.hpp"
#include "index/chain_set.hpp"
#include "index/key_order.hpp"
#include "index/rank_set.hpp"
#include "order/index_key.hpp"
#include "order/record_id.hpp"
#include "order/record_keys.hpp"

namespace recdb {

// A node of an ordered index: its links in the index's tree, and in one word
// its colour bits (see OrderedIndex) and the key order's leaf that holds it.
struct IndexNode {
    RecordId parent = NoRecord;
    RecordId left = NoRecord;
    RecordId right = NoRecord;
    std::uint32_t plainAndLeaf = 0;
};

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
// The design, with drawings of every case: doc/ordered-index.md.
//
// Invariants (checked by invariantsHold): parent and child links agree; an
// in-order walk meets the records in non-decreasing order, a record equal to
// a node lying in its left subtree; the key order lists exactly the tree's
// nodes in in-order; the root is black and no red node has a red child; the
// chains of the ChainSet are exactly the tree's maximal single-child paths.
//
// A record's node number is its record number. The index owns its nodes,
// never the records.
class OrderedIndex {
public:
    // A key to look up; its record need not be in the store.
    struct Probe {
        IndexKey key;
        std::string_view name;
    };
    static Probe probeOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen);

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
        : order_(order), records_(records), plainWalkLimit_(plainWalkLimit), keys_(records) {}
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
    // its records so), finding every place from the final key order instead
    // of the one built so far. Tells progress how many are filed now and then.
    void insertAll(std::size_t count, const BulkProgress& progress = {});
    void clear();

    // The record whose relation with the key is Same that a descent from the
    // root would meet first, or NoRecord.
    RecordId find(const Probe& key) const;
    // Appends every record whose primary field equals the key's (any relation
    // but Below and Above), in pre-order of the tree below the highest such
    // record.
    void collectEqualPrimary(const Probe& key, std::vector<RecordId>& out) const;

    std::size_t size() const { return keys_.size(); }
    RecordId root() const { return root_; }
    RecordId left(RecordId node) const { return nodes_[node].left; }
    RecordId right(RecordId node) const { return nodes_[node].right; }
    RecordId parent(RecordId node) const { return nodes_[node].parent; }
    Colour colour(RecordId node) const { return colourOf(node); }

    bool invariantsHold(std::string& why) const;
    Work work() const;
    std::size_t heldBytes() const;

private:
    // How a record of a range relates to it: below, inside or above.
    enum class Side { Below, Inside, Above };

    template <typename Name>
    Relation compareToProbe(const IndexKey& key, Name name, const Probe& probe) const {
        ++work_.comparisons;
        return compareKeyed(order_, key, name, probe.key, [&probe] { return probe.name; });
    }
    Relation compareNode(RecordId id, const Probe& probe) const {
        return compareToProbe(
            records_.keyOf(id), [this, id] { return records_.nameOf(id); }, probe);
    }
    // The comparison of an entry or a separator of the key order with a probe.
    template <typename Item>
    Relation compareItem(const Item& item, const Probe& probe) const {
        if constexpr (std::is_same_v<Item, RecordId>) {
            return compareNode(item, probe);
        } else {
            return compareToProbe(
                item.key, [&item] { return item.nameView(); }, probe);
        }
    }
    // The place before the first entry whose comparison with the probe does
    // not pass the test.
    template <typename Test>
    KeyOrder::Position partitionPoint(const Probe& probe, Test test) const {
        return keys_.partitionPoint(
            [this, &probe, test](const auto& item) { return test(this->compareItem(item, probe)); });
    }
    KeyOrder::Position positionOf(RecordId id) const;
    RecordId onlyChild(RecordId node) const;
    // Whether node has a parent of which it is the only child: then the two
    // are linked in one chain.
    bool isOnlyChild(RecordId node) const;
    RecordId sibling(RecordId node) const;

    // Colours: a node whose chain is managed keeps its colour in the chain
    // set, any other node in its plain bits.
    static constexpr std::uint32_t PlainBlack = 1;
    static constexpr std::uint32_t Managed = 2;
    static constexpr unsigned PlainBits = 2;
    bool managed(RecordId node) const { return (nodes_[node].plainAndLeaf & Managed) != 0; }
    // The leaf of the key order that holds a node's record, kept up to date
    // as inserts split leaves, so that a record's place in the key order is
    // found without a search, however many records share its key.
    RecordId leafOf(RecordId node) const { return nodes_[node].plainAndLeaf >> PlainBits; }
    void setLeaf(RecordId node, RecordId leaf);
    void noteInserted(RecordId id, KeyOrder::Placement placement);
    // Makes the chain set's links if they are not there yet; false when the
    // memory cannot be had, and the repair then walks on plainly.
    bool makeChains();
    Colour colourOf(RecordId node) const;
    void paint(RecordId node, Colour colour);
    void manage(RecordId node);
    void manageDown(RecordId top);
    void manageUp(RecordId bottom);
    void manageChainOf(RecordId node);
    // The chain link from lower's parent to lower goes, or the one from upper
    // to its only child lower comes.
    void cutLink(RecordId lower);
    void joinLink(RecordId upper, RecordId lower);

    void attachBetween(RecordId id, RecordId predecessor, RecordId successor);
    void isolate(RecordId node);
    void relink(std::initializer_list<RecordId> nodes);
    void replaceChild(RecordId parent, RecordId oldChild, RecordId newChild);
    void rotate(RecordId node, bool leftRotation);
    void repairInsert(RecordId node);
    RecordId climbChain(RecordId redParent);
    void restructure(RecordId x, RecordId p, RecordId g);
    void passColourUp(RecordId parent);
    void repairRemove(RecordId node);
    RecordId pushUpChain(RecordId x, unsigned& plainWalk);
    bool rotateRedNephewUp(RecordId p, RecordId s, bool xIsLeft);

    void fileByRank(std::span<const RecordId> sorted, const BulkProgress& progress);
    // The neighbours foreseen for the filings ahead of the current one.
    struct FilingForesight {
        static constexpr std::size_t Ahead = 16;
        using Neighbours = std::array<std::uint32_t, 2>;
        FilingForesight() { ahead.fill({RankSet::None, RankSet::None}); }
        Neighbours& at(std::size_t filing) { return ahead[filing % Ahead]; }
        std::array<Neighbours, Ahead> ahead;
    };
    void fetchAhead(FilingForesight& foresight, const RankSet& filed, std::size_t k, std::size_t count) const;
    // During fileByRank: the rank of record k, kept in the leaf bits of node k.
    RecordId filingRank(std::size_t k) const { return leafOf(static_cast<RecordId>(k)); }

    bool linksAndOrderHold(std::vector<RecordId>& inOrder, std::string& why) const;
    bool chainHolds(RecordId top, std::string& why) const;

    template <typename Classify>
    RecordId topOfRange(RecordId first, RecordId last, Classify classify) const;
    template <typename NumberOf, typename PrefetchNumberOf>
    void renumber(NumberOf numberOf, PrefetchNumberOf prefetchNumberOf);

    IndexOrder order_;
    const RecordKeys& records_;
    unsigned plainWalkLimit_;
    std::vector<IndexNode> nodes_;
    mutable ChainSet chains_;
    KeyOrder keys_;
    RecordId root_ = NoRecord;
    mutable Work work_;
};

}  // namespace recdb
