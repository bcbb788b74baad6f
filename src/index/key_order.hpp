#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "order/index_key.hpp"
#include "order/record_id.hpp"
#include "order/record_keys.hpp"

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
    // the leaf's count. The end of the order is the leaf NoRecord.
    struct Position {
        RecordId leaf = NoRecord;
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
    // NoRecord at the end.
    RecordId idAt(Position position) const;
    // The positions of the entry after and before the one at position.
    Position next(Position position) const;
    Position previous(Position position) const;
    Position last() const;

    // Where an insert put its record: the leaf that holds it, and a leaf
    // that a split made (or NoRecord), to which every record in it moved.
    struct Placement {
        RecordId leaf = NoRecord;
        RecordId split = NoRecord;
    };

    void prepareInsert();
    // Whether prepareInsert has made room for the next insert.
    bool readyToInsert() const { return !freeLeaves_.empty() && freeInners_.size() > height_; }
    // Inserts before position (a partitionPoint since the last change).
    Placement insert(Position position, RecordId id);
    // The records of a leaf, in order.
    std::span<const RecordId> idsIn(RecordId leaf) const { return {leafEntries(leaf), leaves_[leaf].count}; }
    // The position of the first record, settled into its leaf (NoRecord when
    // the order is empty).
    Position first() const { return settled({firstLeaf_, 0}); }
    // Erases the entry at position.
    void erase(Position position);
    void clear();

    // Bulk building: storage for count entries, which the caller fills in
    // order; finishBulk then builds the tree.
    std::span<RecordId> bulkEntries(std::size_t count);
    void finishBulk(std::size_t count);

    // Every entry in order, whether the structure holds together, and the
    // bytes held.
    std::vector<RecordId> entries() const;
    bool structureHolds() const;
    std::size_t heldBytes() const;

private:
    struct Leaf {
        std::uint32_t count = 0;
        RecordId parent = NoRecord;
        RecordId previous = NoRecord;
        RecordId next = NoRecord;
    };
    struct Inner {
        std::uint32_t count = 0;  // children
        RecordId parent = NoRecord;
        RecordId children[Fanout];
        Separator separators[Fanout - 1];
    };

    Separator separatorOf(RecordId id) const;
    Position settled(Position position) const;

    RecordId* leafEntries(RecordId leaf) { return entries_.data() + std::size_t{leaf} * LeafCapacity; }
    const RecordId* leafEntries(RecordId leaf) const { return entries_.data() + std::size_t{leaf} * LeafCapacity; }
    RecordId& parentOf(RecordId node, bool isLeaf) { return isLeaf ? leaves_[node].parent : inners_[node].parent; }
    RecordId takeLeaf();
    RecordId takeInner();
    void releaseLeaf(RecordId leaf);
    void releaseInner(RecordId inner);
    void insertIntoParent(RecordId left, bool isLeaf, const Separator& separator, RecordId right);
    void growRoot(RecordId left, bool isLeaf, const Separator& separator, RecordId right);
    Separator splitInner(RecordId full, RecordId half, std::uint32_t index, RecordId child, const Separator& separator,
                         bool childrenAreLeaves);
    void removeFromParent(RecordId child, bool isLeaf);
    std::uint32_t childIndex(const Inner& inner, RecordId child) const;
    RecordId firstLeafOf(RecordId node, unsigned level) const;

    const RecordKeys& names_;
    std::vector<RecordId> entries_;
    std::vector<Leaf> leaves_;
    std::vector<Inner> inners_;
    std::vector<RecordId> freeLeaves_;
    std::vector<RecordId> freeInners_;
    RecordId root_ = NoRecord;
    unsigned height_ = 0;  // inner levels above the leaves
    RecordId firstLeaf_ = NoRecord;
    RecordId lastLeaf_ = NoRecord;
    std::size_t size_ = 0;
};

template <typename Before>
KeyOrder::Position KeyOrder::partitionPoint(Before before) const {
    if (root_ == NoRecord) {
        return {};
    }
    RecordId node = root_;
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
    const RecordId* entries = leafEntries(node);
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
