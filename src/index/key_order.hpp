#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "index/node_word.hpp"
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
        char name[MaxNameLength];

        std::string_view nameView() const { return {name, nameLength}; }
    };
    // The key order numbers its own nodes apart from the records: leaves and
    // inner nodes count from 0 each, in arrays of their own, and their types
    // keep either from passing for the other or for a record number.
    enum class LeafId : std::uint32_t {};
    static constexpr LeafId NoLeaf{UINT32_MAX};
    // A place between entries: before entry slot of a leaf; slot may equal
    // the leaf's count. The end of the order is the leaf NoLeaf.
    struct Position {
        LeafId leaf = NoLeaf;
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
    // The position of the first record, settled into its leaf (NoLeaf when
    // the order is empty).
    Position first() const { return settled({firstLeaf_, 0}); }

    // Every record knows the leaf that holds it, in a word that the caller
    // lends per record (wordOf(id) gives it) and the key order alone writes:
    // inserts note it for the new record and for every record that a split
    // moves, so that positionOf finds a record by scanning one leaf, however
    // many records share its key.
    template <typename WordOf>
    Position positionOf(RecordId id, WordOf wordOf) const;

    void prepareInsert();
    // Whether prepareInsert has made room for the next insert.
    bool readyToInsert() const { return !freeLeaves_.empty() && freeInners_.size() > height_; }
    // Inserts before position (a partitionPoint since the last change).
    template <typename WordOf>
    void insert(Position position, RecordId id, WordOf wordOf);
    // Erases the entry at position.
    void erase(Position position);
    void clear();

    // Bulk building: storage for count entries, which the caller fills in
    // order; finishBulk then builds the tree. The leaves are filled to the
    // full, so the record at rank k of the order lies in leaf k / LeafCapacity:
    // noteBulkLeaves tells every record so, wordOfRank(k) giving the word of
    // the record at rank k.
    std::span<RecordId> bulkEntries(std::size_t count);
    void finishBulk(std::size_t count);
    template <typename WordOfRank>
    static void noteBulkLeaves(std::size_t count, WordOfRank wordOfRank);

    // Every entry in order; whether the structure holds together, and
    // whether every record knows its leaf.
    std::vector<RecordId> entries() const;
    bool structureHolds() const;
    template <typename WordOf>
    bool leavesKnown(WordOf wordOf) const;

private:
    enum class InnerId : std::uint32_t {};
    static constexpr InnerId NoInner{UINT32_MAX};
    // A child of an inner node: a leaf on the lowest inner level, an inner
    // node above it; so is the root, a leaf when the height is 0.
    enum class ChildId : std::uint32_t {};
    static constexpr ChildId NoChild{UINT32_MAX};
    static ChildId childOf(LeafId leaf) { return ChildId{static_cast<std::uint32_t>(leaf)}; }
    static ChildId childOf(InnerId inner) { return ChildId{static_cast<std::uint32_t>(inner)}; }
    static LeafId asLeaf(ChildId child) { return LeafId{static_cast<std::uint32_t>(child)}; }
    static InnerId asInner(ChildId child) { return InnerId{static_cast<std::uint32_t>(child)}; }
    template <typename Id>
    static std::size_t indexOf(Id id) {
        return static_cast<std::uint32_t>(id);
    }

    struct Leaf {
        std::uint32_t count = 0;
        InnerId parent = NoInner;
        LeafId previous = NoLeaf;
        LeafId next = NoLeaf;
    };
    struct Inner {
        std::uint32_t count = 0;  // children
        InnerId parent = NoInner;
        ChildId children[Fanout];
        Separator separators[Fanout - 1];
    };
    // Where an insert put its record: the leaf that holds it, and a leaf
    // that a split made (or NoLeaf), to which every record in it moved.
    struct Placement {
        LeafId leaf = NoLeaf;
        LeafId split = NoLeaf;
    };

    Placement place(Position position, RecordId id);
    void putAt(LeafId leaf, std::uint32_t slot, RecordId id);
    Separator separatorOf(RecordId id) const;
    Position settled(Position position) const;
    // The records of a leaf, in order.
    std::span<const RecordId> idsIn(LeafId leaf) const { return {leafEntries(leaf), leafAt(leaf).count}; }

    Leaf& leafAt(LeafId leaf) { return leaves_[indexOf(leaf)]; }
    const Leaf& leafAt(LeafId leaf) const { return leaves_[indexOf(leaf)]; }
    Inner& innerAt(InnerId inner) { return inners_[indexOf(inner)]; }
    const Inner& innerAt(InnerId inner) const { return inners_[indexOf(inner)]; }
    RecordId* leafEntries(LeafId leaf) { return entries_.data() + indexOf(leaf) * LeafCapacity; }
    const RecordId* leafEntries(LeafId leaf) const { return entries_.data() + indexOf(leaf) * LeafCapacity; }
    InnerId& parentOf(ChildId node, bool isLeaf) {
        return isLeaf ? leafAt(asLeaf(node)).parent : innerAt(asInner(node)).parent;
    }
    LeafId takeLeaf();
    InnerId takeInner();
    void releaseLeaf(LeafId leaf);
    void releaseInner(InnerId inner);
    void insertIntoParent(ChildId left, bool isLeaf, const Separator& separator, ChildId right);
    void growRoot(ChildId left, bool isLeaf, const Separator& separator, ChildId right);
    Separator splitInner(InnerId full, InnerId half, std::uint32_t index, ChildId child, const Separator& separator,
                         bool childrenAreLeaves);
    void removeFromParent(ChildId child, bool isLeaf);
    std::uint32_t childIndex(const Inner& inner, ChildId child) const;
    LeafId firstLeafOf(ChildId node, unsigned level) const;
    static void noteLeaf(NodeWord& word, LeafId leaf) { word.setLeafBits(static_cast<std::uint32_t>(leaf)); }
    static LeafId leafNoted(const NodeWord& word) { return LeafId{word.leafBits()}; }

    const RecordKeys& names_;
    std::vector<RecordId> entries_;
    std::vector<Leaf> leaves_;
    std::vector<Inner> inners_;
    std::vector<LeafId> freeLeaves_;
    std::vector<InnerId> freeInners_;
    ChildId root_ = NoChild;
    unsigned height_ = 0;  // inner levels above the leaves
    LeafId firstLeaf_ = NoLeaf;
    LeafId lastLeaf_ = NoLeaf;
    std::size_t size_ = 0;
};

template <typename Before>
KeyOrder::Position KeyOrder::partitionPoint(Before before) const {
    if (root_ == NoChild) {
        return {};
    }
    ChildId node = root_;
    for (unsigned level = height_; level > 0; --level) {
        const Inner& inner = innerAt(asInner(node));
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
    const LeafId leaf = asLeaf(node);
    const RecordId* entries = leafEntries(leaf);
    std::uint32_t low = 0;
    std::uint32_t high = leafAt(leaf).count;
    while (low < high) {
        const std::uint32_t middle = (low + high) / 2;
        if (before(entries[middle])) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return {leaf, low};
}

template <typename WordOf>
KeyOrder::Position KeyOrder::positionOf(RecordId id, WordOf wordOf) const {
    const LeafId leaf = leafNoted(wordOf(id));
    const std::span<const RecordId> ids = idsIn(leaf);
    const auto slot = static_cast<std::uint32_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
    assert(slot < ids.size());
    return {leaf, slot};
}

template <typename WordOf>
void KeyOrder::insert(Position position, RecordId id, WordOf wordOf) {
    const Placement placement = place(position, id);
    noteLeaf(wordOf(id), placement.leaf);
    if (placement.split != NoLeaf) {
        for (const RecordId moved : idsIn(placement.split)) {
            noteLeaf(wordOf(moved), placement.split);
        }
    }
}

template <typename WordOfRank>
void KeyOrder::noteBulkLeaves(std::size_t count, WordOfRank wordOfRank) {
    for (std::size_t first = 0; first < count; first += LeafCapacity) {
        const LeafId leaf{static_cast<std::uint32_t>(first / LeafCapacity)};
        const std::size_t end = std::min<std::size_t>(count, first + LeafCapacity);
        for (std::size_t k = first; k < end; ++k) {
            noteLeaf(wordOfRank(k), leaf);
        }
    }
}

template <typename WordOf>
bool KeyOrder::leavesKnown(WordOf wordOf) const {
    for (LeafId leaf = firstLeaf_; leaf != NoLeaf; leaf = leafAt(leaf).next) {
        for (const RecordId id : idsIn(leaf)) {
            if (leafNoted(wordOf(id)) != leaf) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace recdb
