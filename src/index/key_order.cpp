#include "index/key_order.hpp"

#include <algorithm>
#include <cassert>

namespace recdb {

KeyOrder::Separator KeyOrder::separatorOf(RecordId id) const {
    Separator separator;
    separator.key = names_.keyOf(id);
    const std::string_view name = names_.nameOf(id);
    assert(name.size() <= MaxNameLength);
    separator.nameLength = static_cast<std::uint8_t>(std::min(name.size(), sizeof separator.name));
    std::copy_n(name.data(), separator.nameLength, separator.name);
    return separator;
}

// A place at the end of a leaf is the start of the next one.
KeyOrder::Position KeyOrder::settled(Position position) const {
    while (position.leaf != NoLeaf && position.slot == leafAt(position.leaf).count) {
        position = {leafAt(position.leaf).next, 0};
    }
    return position;
}

RecordId KeyOrder::idAt(Position position) const {
    position = settled(position);
    return position.leaf == NoLeaf ? NoRecord : leafEntries(position.leaf)[position.slot];
}

KeyOrder::Position KeyOrder::next(Position position) const {
    position = settled(position);
    if (position.leaf == NoLeaf) {
        return {};
    }
    if (position.slot + 1 < leafAt(position.leaf).count) {
        return {position.leaf, position.slot + 1};
    }
    return {leafAt(position.leaf).next, 0};
}

KeyOrder::Position KeyOrder::previous(Position position) const {
    if (position.leaf == NoLeaf) {
        return last();
    }
    while (position.slot == 0) {
        position.leaf = leafAt(position.leaf).previous;
        if (position.leaf == NoLeaf) {
            return {};
        }
        position.slot = leafAt(position.leaf).count;
    }
    return {position.leaf, position.slot - 1};
}

KeyOrder::Position KeyOrder::last() const {
    if (lastLeaf_ == NoLeaf) {
        return {};
    }
    return previous({lastLeaf_, leafAt(lastLeaf_).count});
}

KeyOrder::LeafId KeyOrder::takeLeaf() {
    assert(!freeLeaves_.empty());
    const LeafId leaf = freeLeaves_.back();
    freeLeaves_.pop_back();
    leafAt(leaf) = Leaf{};
    return leaf;
}

KeyOrder::InnerId KeyOrder::takeInner() {
    assert(!freeInners_.empty());
    const InnerId inner = freeInners_.back();
    freeInners_.pop_back();
    innerAt(inner).count = 0;
    innerAt(inner).parent = NoInner;
    return inner;
}

// Freed nodes go back to the free lists, whose capacity was reserved when
// the nodes were made, so releasing never allocates.
void KeyOrder::releaseLeaf(LeafId leaf) { freeLeaves_.push_back(leaf); }
void KeyOrder::releaseInner(InnerId inner) { freeInners_.push_back(inner); }

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
        const LeafId leaf{static_cast<std::uint32_t>(leaves_.size())};
        reserveMore(entries_, LeafCapacity);
        reserveMore(leaves_, 1);
        freeLeaves_.reserve(leaves_.capacity());
        entries_.resize(entries_.size() + LeafCapacity);
        leaves_.emplace_back();
        freeLeaves_.push_back(leaf);
    }
    const std::size_t innersNeeded = height_ + 1;
    while (freeInners_.size() < innersNeeded) {
        const InnerId inner{static_cast<std::uint32_t>(inners_.size())};
        reserveMore(inners_, 1);
        freeInners_.reserve(inners_.capacity());
        inners_.emplace_back();
        freeInners_.push_back(inner);
    }
}

// Puts id into a leaf with room, at slot, moving those from there on back.
void KeyOrder::putAt(LeafId leaf, std::uint32_t slot, RecordId id) {
    RecordId* const entries = leafEntries(leaf);
    std::uint32_t& count = leafAt(leaf).count;
    std::copy_backward(entries + slot, entries + count, entries + count + 1);
    entries[slot] = id;
    ++count;
}

KeyOrder::Placement KeyOrder::place(Position position, RecordId id) {
    ++size_;
    if (root_ == NoChild) {
        const LeafId leaf = takeLeaf();
        leafEntries(leaf)[0] = id;
        leafAt(leaf).count = 1;
        firstLeaf_ = lastLeaf_ = leaf;
        root_ = childOf(leaf);
        height_ = 0;
        return {leaf, NoLeaf};
    }
    const LeafId leaf = position.leaf;
    assert(leaf != NoLeaf && position.slot <= leafAt(leaf).count);
    std::uint32_t& count = leafAt(leaf).count;
    if (count < LeafCapacity) {
        putAt(leaf, position.slot, id);
        return {leaf, NoLeaf};
    }
    // Split. Entries arriving at the end (or the start) of a leaf move alone
    // (or move the rest alone), so that keys in order fill the leaves.
    const LeafId right = takeLeaf();
    RecordId* const entries = leafEntries(leaf);
    RecordId* rightEntries = leafEntries(right);
    std::uint32_t keep = LeafCapacity / 2;
    if (position.slot == LeafCapacity) {
        keep = LeafCapacity;
    } else if (position.slot == 0) {
        keep = 0;
    }
    std::copy(entries + keep, entries + LeafCapacity, rightEntries);
    Leaf& left = leafAt(leaf);
    Leaf& split = leafAt(right);
    split.count = LeafCapacity - keep;
    count = keep;
    split.previous = leaf;
    split.next = left.next;
    (left.next == NoLeaf ? lastLeaf_ : leafAt(left.next).previous) = right;
    left.next = right;
    split.parent = left.parent;
    const bool toLeft = position.slot < keep || (position.slot == keep && keep == 0);
    const LeafId target = toLeft ? leaf : right;
    const std::uint32_t slot = toLeft ? position.slot : position.slot - keep;
    putAt(target, slot, id);
    insertIntoParent(childOf(leaf), true, separatorOf(rightEntries[0]), childOf(right));
    return {target, right};
}

std::uint32_t KeyOrder::childIndex(const Inner& inner, ChildId child) const {
    std::uint32_t index = 0;
    while (inner.children[index] != child) {
        ++index;
        assert(index < inner.count);
    }
    return index;
}

// Files right (a new node after left, at the same level) with its separator
// in left's parent, splitting full inner nodes upwards as needed.
void KeyOrder::insertIntoParent(ChildId left, bool isLeaf, const Separator& separator, ChildId right) {
    Separator pending = separator;
    for (;;) {
        const InnerId parent = parentOf(left, isLeaf);
        if (parent == NoInner) {
            growRoot(left, isLeaf, pending, right);
            return;
        }
        Inner& inner = innerAt(parent);
        const std::uint32_t index = childIndex(inner, left) + 1;
        if (inner.count < Fanout) {
            // The separator left of child k is separators[k - 1].
            insertAt(inner.children, inner.count, index, right);
            insertAt(inner.separators, inner.count - 1, index - 1, pending);
            ++inner.count;
            parentOf(right, isLeaf) = parent;
            return;
        }
        const InnerId sibling = takeInner();
        pending = splitInner(parent, sibling, index, right, pending, isLeaf);
        left = childOf(parent);
        isLeaf = false;
        right = childOf(sibling);
    }
}

// A new root above the old one (left) and its new sibling.
void KeyOrder::growRoot(ChildId left, bool isLeaf, const Separator& separator, ChildId right) {
    const InnerId root = takeInner();
    Inner& inner = innerAt(root);
    inner.count = 2;
    inner.children[0] = left;
    inner.children[1] = right;
    inner.separators[0] = separator;
    parentOf(left, isLeaf) = root;
    parentOf(right, isLeaf) = root;
    root_ = childOf(root);
    ++height_;
}

// Splits the full inner node full, into which child is to come at index with
// separator on its left: of the Fanout + 1 children in order, the lower half
// stays and the upper half moves to the empty inner node half. Returns the
// separator between the halves, which goes up a level.
KeyOrder::Separator KeyOrder::splitInner(InnerId full, InnerId half, std::uint32_t index, ChildId child,
                                         const Separator& separator, bool childrenAreLeaves) {
    Inner& lower = innerAt(full);
    Inner& upper = innerAt(half);
    ChildId children[Fanout + 1];
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
    const LeafId leaf = position.leaf;
    RecordId* entries = leafEntries(leaf);
    Leaf& emptied = leafAt(leaf);
    std::copy(entries + position.slot + 1, entries + emptied.count, entries + position.slot);
    --emptied.count;
    --size_;
    if (emptied.count > 0) {
        return;
    }
    (emptied.previous == NoLeaf ? firstLeaf_ : leafAt(emptied.previous).next) = emptied.next;
    (emptied.next == NoLeaf ? lastLeaf_ : leafAt(emptied.next).previous) = emptied.previous;
    if (height_ == 0) {
        root_ = NoChild;
    } else {
        removeFromParent(childOf(leaf), true);
    }
    releaseLeaf(leaf);
}

// Takes child out of its parent, with the separator on its left (or, for a
// first child, on its right); an inner node left without children goes too.
void KeyOrder::removeFromParent(ChildId child, bool isLeaf) {
    for (;;) {
        const InnerId parent = parentOf(child, isLeaf);
        Inner& inner = innerAt(parent);
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
        if (childOf(parent) == root_) {
            root_ = NoChild;
            height_ = 0;
            return;
        }
        child = childOf(parent);
        isLeaf = false;
    }
    // A root with one child gives way to it.
    while (height_ > 0 && innerAt(asInner(root_)).count == 1) {
        const ChildId only = innerAt(asInner(root_)).children[0];
        releaseInner(asInner(root_));
        root_ = only;
        --height_;
        parentOf(only, height_ == 0) = NoInner;
    }
}

void KeyOrder::clear() {
    std::vector<RecordId>().swap(entries_);
    std::vector<Leaf>().swap(leaves_);
    std::vector<Inner>().swap(inners_);
    std::vector<LeafId>().swap(freeLeaves_);
    std::vector<InnerId>().swap(freeInners_);
    root_ = NoChild;
    firstLeaf_ = lastLeaf_ = NoLeaf;
    height_ = 0;
    size_ = 0;
}

std::span<RecordId> KeyOrder::bulkEntries(std::size_t count) {
    clear();
    const std::size_t leafCount = (count + LeafCapacity - 1) / LeafCapacity;
    entries_.resize(leafCount * LeafCapacity);
    return {entries_.data(), count};
}

KeyOrder::LeafId KeyOrder::firstLeafOf(ChildId node, unsigned level) const {
    for (; level > 0; --level) {
        node = innerAt(asInner(node)).children[0];
    }
    return asLeaf(node);
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
    const auto leafNumber = [](std::size_t k) { return LeafId{static_cast<std::uint32_t>(k)}; };
    for (std::size_t k = 0; k < leafCount; ++k) {
        Leaf& leaf = leaves_[k];
        leaf.count = static_cast<std::uint32_t>(std::min<std::size_t>(LeafCapacity, count - k * LeafCapacity));
        leaf.previous = k == 0 ? NoLeaf : leafNumber(k - 1);
        leaf.next = k + 1 == leafCount ? NoLeaf : leafNumber(k + 1);
    }
    firstLeaf_ = leafNumber(0);
    lastLeaf_ = leafNumber(leafCount - 1);
    // Build the inner levels bottom up, each node taking Fanout children.
    std::vector<ChildId> level(leafCount);
    for (std::size_t k = 0; k < leafCount; ++k) {
        level[k] = childOf(leafNumber(k));
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
        std::vector<ChildId> above;
        above.reserve(parents);
        for (std::size_t start = 0; start < level.size(); start += Fanout) {
            const InnerId parent{static_cast<std::uint32_t>(inners_.size())};
            inners_.emplace_back();
            Inner& inner = inners_.back();
            inner.count = static_cast<std::uint32_t>(std::min<std::size_t>(Fanout, level.size() - start));
            for (std::uint32_t k = 0; k < inner.count; ++k) {
                const ChildId child = level[start + k];
                inner.children[k] = child;
                parentOf(child, height_ == 0) = parent;
                if (k > 0) {
                    inner.separators[k - 1] = separatorOf(leafEntries(firstLeafOf(child, height_))[0]);
                }
            }
            above.push_back(childOf(parent));
        }
        level = std::move(above);
        ++height_;
    }
    root_ = level[0];
}

std::vector<RecordId> KeyOrder::entries() const {
    std::vector<RecordId> all;
    for (LeafId leaf = firstLeaf_; leaf != NoLeaf; leaf = leafAt(leaf).next) {
        const std::span<const RecordId> ids = idsIn(leaf);
        all.insert(all.end(), ids.begin(), ids.end());
    }
    return all;
}

bool KeyOrder::structureHolds() const {
    // Every leaf reachable from the root at the same depth, linked in the same
    // order as the leaf list, with parents pointing back and counts adding up.
    if (root_ == NoChild) {
        return size_ == 0 && firstLeaf_ == NoLeaf && lastLeaf_ == NoLeaf;
    }
    std::vector<LeafId> leavesInOrder;
    std::vector<std::pair<ChildId, unsigned>> pending{{root_, height_}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        if (level == 0) {
            leavesInOrder.push_back(asLeaf(node));
            continue;
        }
        const Inner& inner = innerAt(asInner(node));
        if (inner.count == 0 || inner.count > Fanout) {
            return false;
        }
        for (std::uint32_t k = inner.count; k-- > 0;) {
            const ChildId child = inner.children[k];
            const InnerId parent = level == 1 ? leafAt(asLeaf(child)).parent : innerAt(asInner(child)).parent;
            if (parent != asInner(node)) {
                return false;
            }
            pending.emplace_back(child, level - 1);
        }
    }
    std::size_t total = 0;
    LeafId expected = firstLeaf_;
    LeafId previous = NoLeaf;
    for (const LeafId leaf : leavesInOrder) {
        const Leaf& at = leafAt(leaf);
        if (leaf != expected || at.previous != previous || at.count == 0 || at.count > LeafCapacity) {
            return false;
        }
        total += at.count;
        previous = leaf;
        expected = at.next;
    }
    return expected == NoLeaf && previous == lastLeaf_ && total == size_;
}

}  // namespace recdb
