#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "index/index_key.hpp"
#include "index/node_id.hpp"
#include "index/record_keys.hpp"

namespace recdb {

// The nodes of an ordered index in key order, kept in a B+ tree: it finds a
// key's place among the nodes in O(log n) whatever shape the index's own tree
// has. Equal keys stand in the order the caller inserted them at.
//
// Leaves hold up to LeafCapacity record numbers, stored contiguously leaf
// after leaf, and are linked in order; the caller compares a record number
// with what it looks for by reading the record's key. Inner nodes hold, as
// separators, copies of the key and full name of the first record of each
// child but the first: every record of a child compares at least its left
// separator and at most its right one. A separator stays valid when its
// record goes, and since it holds the name itself it never refers to a record
// number that may be reused. So a search reads records only in its leaf.
//
// Inserting is split in two: prepareInsert allocates whatever a split could
// need and may throw std::bad_alloc, leaving nothing changed; insert then
// cannot fail. Erasing never allocates.
class KeyOrder {
public:
    struct Separator {
        IndexKey key;
        std::uint8_t nameLength = 0;
        char name[63];

        std::string_view nameView() const { return {name, nameLength}; }
    };
    // A place between entries: before entry slot of a leaf; slot may equal
    // the leaf's count. The end of the order is the leaf NoNode.
    struct Position {
        NodeId leaf = NoNode;
        std::uint32_t slot = 0;
    };

    static constexpr std::uint32_t LeafCapacity = 64;
    static constexpr std::uint32_t Fanout = 64;

    explicit KeyOrder(const RecordKeys& names) : names_(names) {}

    std::size_t size() const { return size_; }

    // The place just before the first entry for which before is false; before
    // must hold for a prefix of the entries. It is called with a record
    // number for entries and with a Separator for separators.
    template <typename Before>
    Position partitionPoint(Before before) const;

    // The record at a position (after moving past the end of its leaf), or
    // NoNode at the end.
    NodeId idAt(Position position) const;
    // The positions of the entry after and before the one at position.
    Position next(Position position) const;
    Position previous(Position position) const;
    Position last() const;

    // Where an insert put its record: the leaf that holds it, and a leaf
    // that a split made (or NoNode), to which every record in it moved.
    struct Placement {
        NodeId leaf = NoNode;
        NodeId split = NoNode;
    };

    void prepareInsert();
    // Whether prepareInsert has made room for the next insert.
    bool readyToInsert() const { return !freeLeaves_.empty() && freeInners_.size() > height_; }
    // Inserts before position (a partitionPoint since the last change).
    Placement insert(Position position, NodeId id);
    // The records of a leaf, in order.
    std::span<const NodeId> idsIn(NodeId leaf) const { return {leafEntries(leaf), leaves_[leaf].count}; }
    // The position of the first record, settled into its leaf (NoNode when
    // the order is empty).
    Position first() const { return settled({firstLeaf_, 0}); }
    // Erases the entry at position.
    void erase(Position position);
    void clear();

    // Bulk building: storage for count entries, which the caller fills in
    // order; finishBulk then builds the tree.
    std::span<NodeId> bulkEntries(std::size_t count);
    void finishBulk(std::size_t count);

    // Every entry in order, whether the structure holds together, and the
    // bytes held.
    std::vector<NodeId> entries() const;
    bool structureHolds() const;
    std::size_t heldBytes() const;

private:
    struct Leaf {
        std::uint32_t count = 0;
        NodeId parent = NoNode;
        NodeId previous = NoNode;
        NodeId next = NoNode;
    };
    struct Inner {
        std::uint32_t count = 0;  // children
        NodeId parent = NoNode;
        NodeId children[Fanout];
        Separator separators[Fanout - 1];
    };

    Separator separatorOf(NodeId id) const;
    Position settled(Position position) const;

    NodeId* leafEntries(NodeId leaf) { return entries_.data() + std::size_t{leaf} * LeafCapacity; }
    const NodeId* leafEntries(NodeId leaf) const { return entries_.data() + std::size_t{leaf} * LeafCapacity; }
    NodeId& parentOf(NodeId node, bool isLeaf) { return isLeaf ? leaves_[node].parent : inners_[node].parent; }
    NodeId takeLeaf();
    NodeId takeInner();
    void releaseLeaf(NodeId leaf);
    void releaseInner(NodeId inner);
    void insertIntoParent(NodeId left, bool isLeaf, const Separator& separator, NodeId right);
    void growRoot(NodeId left, bool isLeaf, const Separator& separator, NodeId right);
    Separator splitInner(NodeId full, NodeId half, std::uint32_t index, NodeId child, const Separator& separator,
                         bool childrenAreLeaves);
    void removeFromParent(NodeId child, bool isLeaf);
    std::uint32_t childIndex(const Inner& inner, NodeId child) const;
    NodeId firstLeafOf(NodeId node, unsigned level) const;

    const RecordKeys& names_;
    std::vector<NodeId> entries_;
    std::vector<Leaf> leaves_;
    std::vector<Inner> inners_;
    std::vector<NodeId> freeLeaves_;
    std::vector<NodeId> freeInners_;
    NodeId root_ = NoNode;
    unsigned height_ = 0;  // inner levels above the leaves
    NodeId firstLeaf_ = NoNode;
    NodeId lastLeaf_ = NoNode;
    std::size_t size_ = 0;
};

template <typename Before>
KeyOrder::Position KeyOrder::partitionPoint(Before before) const {
    if (root_ == NoNode) {
        return {};
    }
    NodeId node = root_;
    for (unsigned level = height_; level > 0; --level) {
        const Inner& inner = inners_[node];
        // Separators are in order: count those still before.
        std::uint32_t low = 0;
        std::uint32_t high = inner.count - 1;
        while (low < high) {
            const std::uint32_t middle = (low + high) / 2;
            if (before(inner.separators[middle])) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        node = inner.children[low];
    }
    const NodeId* entries = leafEntries(node);
    std::uint32_t low = 0;
    std::uint32_t high = leaves_[node].count;
    while (low < high) {
        const std::uint32_t middle = (low + high) / 2;
        if (before(entries[middle])) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return {node, low};
}

}  // namespace recdb
