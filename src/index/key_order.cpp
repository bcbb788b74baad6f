#include "index/key_order.hpp"

#include <algorithm>
#include <cassert>

namespace recdb {

KeyOrder::Separator KeyOrder::separatorOf(RecordId id) const {
    Separator separator;
    separator.key = names_.keyOf(id);
    const std::string_view name = names_.nameOf(id);
    separator.nameLength = static_cast<std::uint8_t>(std::min(name.size(), sizeof separator.name));
    std::copy_n(name.data(), separator.nameLength, separator.name);
    return separator;
}

// A place at the end of a leaf is the start of the next one.
KeyOrder::Position KeyOrder::settled(Position position) const {
    while (position.leaf != NoRecord && position.slot == leaves_[position.leaf].count) {
        position = {leaves_[position.leaf].next, 0};
    }
    return position;
}

RecordId KeyOrder::idAt(Position position) const {
    position = settled(position);
    return position.leaf == NoRecord ? NoRecord : leafEntries(position.leaf)[position.slot];
}

KeyOrder::Position KeyOrder::next(Position position) const {
    position = settled(position);
    if (position.leaf == NoRecord) {
        return {};
    }
    if (position.slot + 1 < leaves_[position.leaf].count) {
        return {position.leaf, position.slot + 1};
    }
    return {leaves_[position.leaf].next, 0};
}

KeyOrder::Position KeyOrder::previous(Position position) const {
    if (position.leaf == NoRecord) {
        return last();
    }
    while (position.slot == 0) {
        position.leaf = leaves_[position.leaf].previous;
        if (position.leaf == NoRecord) {
            return {};
        }
        position.slot = leaves_[position.leaf].count;
    }
    return {position.leaf, position.slot - 1};
}

KeyOrder::Position KeyOrder::last() const {
    if (lastLeaf_ == NoRecord) {
        return {};
    }
    return previous({lastLeaf_, leaves_[lastLeaf_].count});
}

RecordId KeyOrder::takeLeaf() {
    assert(!freeLeaves_.empty());
    const RecordId leaf = freeLeaves_.back();
    freeLeaves_.pop_back();
    leaves_[leaf] = Leaf{};
    return leaf;
}

RecordId KeyOrder::takeInner() {
    assert(!freeInners_.empty());
    const RecordId inner = freeInners_.back();
    freeInners_.pop_back();
    inners_[inner].count = 0;
    inners_[inner].parent = NoRecord;
    return inner;
}

// Freed nodes go back to the free lists, whose capacity was reserved when
// the nodes were made, so releasing never allocates.
void KeyOrder::releaseLeaf(RecordId leaf) { freeLeaves_.push_back(leaf); }
void KeyOrder::releaseInner(RecordId inner) { freeInners_.push_back(inner); }

namespace {

// Makes room for extra more elements, growing geometrically.
template <typename T>
void reserveMore(std::vector<T>& vector, std::size_t extra) {
    if (vector.capacity() < vector.size() + extra) {
        vector.reserve(std::max(vector.size() + extra, 2 * vector.capacity()));
    }
}

// Makes room at index of the first count elements of a fixed array and puts
// value there. Indexes, not pointer arithmetic, so that nothing forms a
// pointer beyond the array's end.
template <typename T, std::size_t N>
void insertAt(T (&array)[N], std::uint32_t count, std::uint32_t index, const T& value) {
    assert(index <= count && count < N);
    std::move_backward(array + index, array + count, array + count + 1);
    array[index] = value;
}

// Closes the gap at index among the first count elements of a fixed array.
template <typename T, std::size_t N>
void eraseAt(T (&array)[N], std::uint32_t count, std::uint32_t index) {
    assert(index < count && count <= N);
    std::move(array + index + 1, array + count, array + index);
}

}  // namespace

void KeyOrder::prepareInsert() {
    // A split cascade takes one leaf and at most one inner node per level,
    // plus a new root. The free lists keep room for every node, so that
    // giving a node back never allocates.
    if (freeLeaves_.empty()) {
        const auto leaf = static_cast<RecordId>(leaves_.size());
        reserveMore(entries_, LeafCapacity);
        reserveMore(leaves_, 1);
        freeLeaves_.reserve(leaves_.capacity());
        entries_.resize(entries_.size() + LeafCapacity);
        leaves_.emplace_back();
        freeLeaves_.push_back(leaf);
    }
    const std::size_t innersNeeded = height_ + 1;
    while (freeInners_.size() < innersNeeded) {
        const auto inner = static_cast<RecordId>(inners_.size());
        reserveMore(inners_, 1);
        freeInners_.reserve(inners_.capacity());
        inners_.emplace_back();
        freeInners_.push_back(inner);
    }
}

KeyOrder::Placement KeyOrder::insert(Position position, RecordId id) {
    ++size_;
    if (root_ == NoRecord) {
        const RecordId leaf = takeLeaf();
        leafEntries(leaf)[0] = id;
        leaves_[leaf].count = 1;
        root_ = firstLeaf_ = lastLeaf_ = leaf;
        height_ = 0;
        return {leaf, NoRecord};
    }
    const RecordId leaf = position.leaf;
    assert(leaf != NoRecord && position.slot <= leaves_[leaf].count);
    RecordId* entries = leafEntries(leaf);
    std::uint32_t& count = leaves_[leaf].count;
    if (count < LeafCapacity) {
        std::copy_backward(entries + position.slot, entries + count, entries + count + 1);
        entries[position.slot] = id;
        ++count;
        return {leaf, NoRecord};
    }
    // Split. Entries arriving at the end (or the start) of a leaf move alone
    // (or move the rest alone), so that keys in order fill the leaves.
    const RecordId right = takeLeaf();
    entries = leafEntries(leaf);
    RecordId* rightEntries = leafEntries(right);
    std::uint32_t keep = LeafCapacity / 2;
    if (position.slot == LeafCapacity) {
        keep = LeafCapacity;
    } else if (position.slot == 0) {
        keep = 0;
    }
    std::copy(entries + keep, entries + LeafCapacity, rightEntries);
    leaves_[right].count = LeafCapacity - keep;
    count = keep;
    leaves_[right].previous = leaf;
    leaves_[right].next = leaves_[leaf].next;
    (leaves_[leaf].next == NoRecord ? lastLeaf_ : leaves_[leaves_[leaf].next].previous) = right;
    leaves_[leaf].next = right;
    leaves_[right].parent = leaves_[leaf].parent;
    const bool toLeft = position.slot < keep || (position.slot == keep && keep == 0);
    const RecordId target = toLeft ? leaf : right;
    const std::uint32_t slot = toLeft ? position.slot : position.slot - keep;
    RecordId* targetEntries = leafEntries(target);
    std::uint32_t& targetCount = leaves_[target].count;
    std::copy_backward(targetEntries + slot, targetEntries + targetCount, targetEntries + targetCount + 1);
    targetEntries[slot] = id;
    ++targetCount;
    insertIntoParent(leaf, true, separatorOf(rightEntries[0]), right);
    return {target, right};
}

std::uint32_t KeyOrder::childIndex(const Inner& inner, RecordId child) const {
    std::uint32_t index = 0;
    while (inner.children[index] != child) {
        ++index;
        assert(index < inner.count);
    }
    return index;
}

// Files right (a new node after left, at the same level) with its separator
// in left's parent, splitting full inner nodes upwards as needed.
void KeyOrder::insertIntoParent(RecordId left, bool isLeaf, const Separator& separator, RecordId right) {
    Separator pending = separator;
    for (;;) {
        const RecordId parent = parentOf(left, isLeaf);
        if (parent == NoRecord) {
            growRoot(left, isLeaf, pending, right);
            return;
        }
        Inner& inner = inners_[parent];
        const std::uint32_t index = childIndex(inner, left) + 1;
        if (inner.count < Fanout) {
            // The separator left of child k is separators[k - 1].
            insertAt(inner.children, inner.count, index, right);
            insertAt(inner.separators, inner.count - 1, index - 1, pending);
            ++inner.count;
            parentOf(right, isLeaf) = parent;
            return;
        }
        const RecordId sibling = takeInner();
        pending = splitInner(parent, sibling, index, right, pending, isLeaf);
        left = parent;
        isLeaf = false;
        right = sibling;
    }
}

// A new root above the old one (left) and its new sibling.
void KeyOrder::growRoot(RecordId left, bool isLeaf, const Separator& separator, RecordId right) {
    const RecordId root = takeInner();
    Inner& inner = inners_[root];
    inner.count = 2;
    inner.children[0] = left;
    inner.children[1] = right;
    inner.separators[0] = separator;
    parentOf(left, isLeaf) = root;
    parentOf(right, isLeaf) = root;
    root_ = root;
    ++height_;
}

// Splits the full inner node full, into which child is to come at index with
// separator on its left: of the Fanout + 1 children in order, the lower half
// stays and the upper half moves to the empty inner node half. Returns the
// separator between the halves, which goes up a level.
KeyOrder::Separator KeyOrder::splitInner(RecordId full, RecordId half, std::uint32_t index, RecordId child,
                                         const Separator& separator, bool childrenAreLeaves) {
    Inner& lower = inners_[full];
    Inner& upper = inners_[half];
    RecordId children[Fanout + 1];
    Separator separators[Fanout];
    std::copy_n(lower.children, Fanout, children);
    std::copy_n(lower.separators, Fanout - 1, separators);
    insertAt(children, Fanout, index, child);
    insertAt(separators, Fanout - 1, index - 1, separator);
    constexpr std::uint32_t Kept = (Fanout + 1) / 2;
    std::copy_n(children, Kept, lower.children);
    std::copy_n(separators, Kept - 1, lower.separators);
    std::copy(children + Kept, children + Fanout + 1, upper.children);
    std::copy(separators + Kept, separators + Fanout, upper.separators);
    lower.count = Kept;
    upper.count = Fanout + 1 - Kept;
    upper.parent = lower.parent;
    for (std::uint32_t k = 0; k < lower.count; ++k) {
        parentOf(lower.children[k], childrenAreLeaves) = full;
    }
    for (std::uint32_t k = 0; k < upper.count; ++k) {
        parentOf(upper.children[k], childrenAreLeaves) = half;
    }
    return separators[Kept - 1];
}

void KeyOrder::erase(Position position) {
    position = settled(position);
    const RecordId leaf = position.leaf;
    RecordId* entries = leafEntries(leaf);
    std::uint32_t& count = leaves_[leaf].count;
    std::copy(entries + position.slot + 1, entries + count, entries + position.slot);
    --count;
    --size_;
    if (count > 0) {
        return;
    }
    (leaves_[leaf].previous == NoRecord ? firstLeaf_ : leaves_[leaves_[leaf].previous].next) = leaves_[leaf].next;
    (leaves_[leaf].next == NoRecord ? lastLeaf_ : leaves_[leaves_[leaf].next].previous) = leaves_[leaf].previous;
    if (height_ == 0) {
        root_ = NoRecord;
    } else {
        removeFromParent(leaf, true);
    }
    releaseLeaf(leaf);
}

// Takes child out of its parent, with the separator on its left (or, for a
// first child, on its right); an inner node left without children goes too.
void KeyOrder::removeFromParent(RecordId child, bool isLeaf) {
    for (;;) {
        const RecordId parent = parentOf(child, isLeaf);
        Inner& inner = inners_[parent];
        const std::uint32_t index = childIndex(inner, child);
        eraseAt(inner.children, inner.count, index);
        if (inner.count > 1) {
            eraseAt(inner.separators, inner.count - 1, index == 0 ? 0 : index - 1);
        }
        --inner.count;
        if (inner.count > 0) {
            break;
        }
        releaseInner(parent);
        if (parent == root_) {
            root_ = NoRecord;
            height_ = 0;
            return;
        }
        child = parent;
        isLeaf = false;
    }
    // A root with one child gives way to it.
    while (height_ > 0 && inners_[root_].count == 1) {
        const RecordId only = inners_[root_].children[0];
        releaseInner(root_);
        root_ = only;
        --height_;
        parentOf(only, height_ == 0) = NoRecord;
    }
}

void KeyOrder::clear() {
    std::vector<RecordId>().swap(entries_);
    std::vector<Leaf>().swap(leaves_);
    std::vector<Inner>().swap(inners_);
    std::vector<RecordId>().swap(freeLeaves_);
    std::vector<RecordId>().swap(freeInners_);
    root_ = firstLeaf_ = lastLeaf_ = NoRecord;
    height_ = 0;
    size_ = 0;
}

std::span<RecordId> KeyOrder::bulkEntries(std::size_t count) {
    clear();
    const std::size_t leafCount = (count + LeafCapacity - 1) / LeafCapacity;
    entries_.resize(leafCount * LeafCapacity);
    return {entries_.data(), count};
}

RecordId KeyOrder::firstLeafOf(RecordId node, unsigned level) const {
    for (; level > 0; --level) {
        node = inners_[node].children[0];
    }
    return node;
}

void KeyOrder::finishBulk(std::size_t count) {
    size_ = count;
    const std::size_t leafCount = entries_.size() / LeafCapacity;
    if (leafCount == 0) {
        return;
    }
    leaves_.resize(leafCount);
    freeLeaves_.reserve(leafCount);
    freeInners_.reserve(leafCount / (Fanout - 1) + 8);
    for (std::size_t k = 0; k < leafCount; ++k) {
        Leaf& leaf = leaves_[k];
        leaf.count = static_cast<std::uint32_t>(std::min<std::size_t>(LeafCapacity, count - k * LeafCapacity));
        leaf.previous = k == 0 ? NoRecord : static_cast<RecordId>(k - 1);
        leaf.next = k + 1 == leafCount ? NoRecord : static_cast<RecordId>(k + 1);
    }
    firstLeaf_ = 0;
    lastLeaf_ = static_cast<RecordId>(leafCount - 1);
    // Build the inner levels bottom up, each node taking Fanout children.
    std::vector<RecordId> level(leafCount);
    for (std::size_t k = 0; k < leafCount; ++k) {
        level[k] = static_cast<RecordId>(k);
    }
    // Room for every level's inner nodes at once: growing the array level
    // by level would copy it, holding it twice for a moment.
    std::size_t innerCount = 0;
    for (std::size_t width = leafCount; width > 1; width = (width + Fanout - 1) / Fanout) {
        innerCount += (width + Fanout - 1) / Fanout;
    }
    inners_.reserve(innerCount);
    height_ = 0;
    while (level.size() > 1) {
        const std::size_t parents = (level.size() + Fanout - 1) / Fanout;
        std::vector<RecordId> above;
        above.reserve(parents);
        for (std::size_t start = 0; start < level.size(); start += Fanout) {
            const auto parent = static_cast<RecordId>(inners_.size());
            inners_.emplace_back();
            Inner& inner = inners_.back();
            inner.count = static_cast<std::uint32_t>(std::min<std::size_t>(Fanout, level.size() - start));
            for (std::uint32_t k = 0; k < inner.count; ++k) {
                const RecordId child = level[start + k];
                inner.children[k] = child;
                parentOf(child, height_ == 0) = parent;
                if (k > 0) {
                    inner.separators[k - 1] = separatorOf(leafEntries(firstLeafOf(child, height_))[0]);
                }
            }
            above.push_back(parent);
        }
        level = std::move(above);
        ++height_;
    }
    root_ = level[0];
}

std::vector<RecordId> KeyOrder::entries() const {
    std::vector<RecordId> all;
    for (RecordId leaf = firstLeaf_; leaf != NoRecord; leaf = leaves_[leaf].next) {
        all.insert(all.end(), leafEntries(leaf), leafEntries(leaf) + leaves_[leaf].count);
    }
    return all;
}

bool KeyOrder::structureHolds() const {
    // Every leaf reachable from the root at the same depth, linked in the same
    // order as the leaf list, with parents pointing back and counts adding up.
    if (root_ == NoRecord) {
        return size_ == 0 && firstLeaf_ == NoRecord && lastLeaf_ == NoRecord;
    }
    std::vector<RecordId> leavesInOrder;
    std::vector<std::pair<RecordId, unsigned>> pending{{root_, height_}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        if (level == 0) {
            leavesInOrder.push_back(node);
            continue;
        }
        const Inner& inner = inners_[node];
        if (inner.count == 0 || inner.count > Fanout) {
            return false;
        }
        for (std::uint32_t k = inner.count; k-- > 0;) {
            const RecordId child = inner.children[k];
            const RecordId parent = level == 1 ? leaves_[child].parent : inners_[child].parent;
            if (parent != node) {
                return false;
            }
            pending.emplace_back(child, level - 1);
        }
    }
    std::size_t total = 0;
    RecordId expected = firstLeaf_;
    RecordId previous = NoRecord;
    for (const RecordId leaf : leavesInOrder) {
        if (leaf != expected || leaves_[leaf].previous != previous || leaves_[leaf].count == 0 ||
            leaves_[leaf].count > LeafCapacity) {
            return false;
        }
        total += leaves_[leaf].count;
        previous = leaf;
        expected = leaves_[leaf].next;
    }
    return expected == NoRecord && previous == lastLeaf_ && total == size_;
}

std::size_t KeyOrder::heldBytes() const {
    return entries_.capacity() * sizeof(RecordId) + leaves_.capacity() * sizeof(Leaf) +
           inners_.capacity() * sizeof(Inner) + (freeLeaves_.capacity() + freeInners_.capacity()) * sizeof(RecordId);
}

}  // namespace recdb
