#include "index/ordered_index.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <new>

#include "index/key_sort.hpp"
#include "index/rank_set.hpp"

namespace recdb {

OrderedIndex::Probe OrderedIndex::probeOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen) {
    return {indexKeyOf(name, ratingNum, ratingDen), name};
}

RecordId OrderedIndex::onlyChild(RecordId node) const {
    const IndexNode& n = nodes_[node];
    if ((n.left == NoRecord) == (n.right == NoRecord)) {
        return NoRecord;
    }
    return n.left != NoRecord ? n.left : n.right;
}

bool OrderedIndex::isOnlyChild(RecordId node) const {
    const RecordId parent = nodes_[node].parent;
    return parent != NoRecord && onlyChild(parent) == node;
}

RecordId OrderedIndex::sibling(RecordId node) const {
    const IndexNode& p = nodes_[nodes_[node].parent];
    return p.left == node ? p.right : p.left;
}

// The place of a record in the key order: in its leaf, by a scan of at most
// a leaf's records.
KeyOrder::Position OrderedIndex::positionOf(RecordId id) const {
    const RecordId leaf = leafOf(id);
    const std::span<const RecordId> ids = keys_.idsIn(leaf);
    const auto slot = static_cast<std::uint32_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
    assert(slot < ids.size());
    return {leaf, slot};
}

void OrderedIndex::setLeaf(RecordId node, RecordId leaf) {
    assert(leaf < (RecordId{1} << (32 - PlainBits)));
    std::uint32_t& word = nodes_[node].plainAndLeaf;
    word = (word & (Managed | PlainBlack)) | leaf << PlainBits;
}

// Records where an insert put its record, and where a split moved others.
void OrderedIndex::noteInserted(RecordId id, KeyOrder::Placement placement) {
    setLeaf(id, placement.leaf);
    if (placement.split != NoRecord) {
        for (const RecordId moved : keys_.idsIn(placement.split)) {
            setLeaf(moved, placement.split);
        }
    }
}

void OrderedIndex::prepareInsert() {
    const std::size_t limit = records_.idLimit();
    if (nodes_.size() <= limit) {
        nodes_.reserve(std::max(limit + 1, 2 * nodes_.size()));
        nodes_.resize(nodes_.capacity());
    }
    if (chains_.isMade()) {
        chains_.makeRoom(nodes_.size());
    }
    keys_.prepareInsert();
}

Colour OrderedIndex::colourOf(RecordId node) const {
    if (managed(node)) {
        return chains_.colour(node);
    }
    return (nodes_[node].plainAndLeaf & PlainBlack) != 0 ? Colour::Black : Colour::Red;
}

void OrderedIndex::paint(RecordId node, Colour colour) {
    if (managed(node)) {
        chains_.setColour(node, colour);
        return;
    }
    std::uint32_t& word = nodes_[node].plainAndLeaf;
    word = colour == Colour::Black ? word | PlainBlack : word & ~PlainBlack;
}

bool OrderedIndex::makeChains() {
    if (chains_.isMade()) {
        return true;
    }
    try {
        chains_.makeRoom(nodes_.size());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Hands one node's colour to the chain set, as a chain of its own.
void OrderedIndex::manage(RecordId node) {
    chains_.makeSingle(node, colourOf(node));
    nodes_[node].plainAndLeaf |= Managed;
}

// Hands the plain chain that begins at top to the chain set, down to its end
// or to a managed node, whose link to it is about to be joined.
void OrderedIndex::manageDown(RecordId top) {
    manage(top);
    for (RecordId node = top;;) {
        const RecordId child = onlyChild(node);
        if (child == NoRecord || managed(child)) {
            return;
        }
        manage(child);
        chains_.join(node, child);
        node = child;
    }
}

// The same upwards from the plain chain's last node.
void OrderedIndex::manageUp(RecordId bottom) {
    manage(bottom);
    for (RecordId node = bottom;;) {
        if (!isOnlyChild(node) || managed(nodes_[node].parent)) {
            return;
        }
        const RecordId parent = nodes_[node].parent;
        manage(parent);
        chains_.join(parent, node);
        node = parent;
    }
}

void OrderedIndex::manageChainOf(RecordId node) {
    RecordId top = node;
    while (isOnlyChild(top)) {
        top = nodes_[top].parent;
    }
    manageDown(top);
}

void OrderedIndex::cutLink(RecordId lower) {
    if (managed(lower)) {
        chains_.cutAbove(lower);
    }
}

// A chain is managed as a whole or not at all: joining a managed chain to a
// plain one hands the plain one to the chain set first.
void OrderedIndex::joinLink(RecordId upper, RecordId lower) {
    const bool upperManaged = managed(upper);
    const bool lowerManaged = managed(lower);
    if (!upperManaged && !lowerManaged) {
        return;
    }
    if (!upperManaged) {
        manageUp(upper);
    }
    if (!lowerManaged) {
        manageDown(lower);
    }
    chains_.join(upper, lower);
}

// Cuts every chain link that touches node, leaving it a chain of its own.
// Until a chain set exists no chain is managed, and neither this nor relink
// has anything to do (nor any other node to read).
void OrderedIndex::isolate(RecordId node) {
    if (!chains_.isMade()) {
        return;
    }
    if (isOnlyChild(node)) {
        cutLink(node);
    }
    const RecordId child = onlyChild(node);
    if (child != NoRecord) {
        cutLink(child);
    }
}

// After the tree changed around isolated nodes: joins every chain link that
// the tree now has at these nodes (at most two each: to the parent and to the
// only child).
void OrderedIndex::relink(std::initializer_list<RecordId> nodes) {
    assert(nodes.size() <= 2);
    if (!chains_.isMade()) {
        return;
    }
    std::pair<RecordId, RecordId> links[4];
    std::size_t count = 0;
    const auto add = [&links, &count](RecordId upper, RecordId lower) {
        for (std::size_t k = 0; k < count; ++k) {
            if (links[k].first == upper) {
                return;
            }
        }
        assert(count < std::size(links));
        links[count++] = {upper, lower};
    };
    for (const RecordId node : nodes) {
        if (isOnlyChild(node)) {
            add(nodes_[node].parent, node);
        }
        const RecordId child = onlyChild(node);
        if (child != NoRecord) {
            add(node, child);
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        joinLink(links[k].first, links[k].second);
    }
}

void OrderedIndex::replaceChild(RecordId parent, RecordId oldChild, RecordId newChild) {
    if (parent == NoRecord) {
        root_ = newChild;
    } else if (nodes_[parent].left == oldChild) {
        nodes_[parent].left = newChild;
    } else {
        nodes_[parent].right = newChild;
    }
    if (newChild != NoRecord) {
        nodes_[newChild].parent = parent;
    }
}

// Rotates the right (leftRotation) or left child of node up into its place.
void OrderedIndex::rotate(RecordId node, bool leftRotation) {
    ++work_.rotations;
    const RecordId up = leftRotation ? nodes_[node].right : nodes_[node].left;
    isolate(node);
    isolate(up);
    RecordId& inner = leftRotation ? nodes_[up].left : nodes_[up].right;
    (leftRotation ? nodes_[node].right : nodes_[node].left) = inner;
    if (inner != NoRecord) {
        nodes_[inner].parent = node;
    }
    replaceChild(nodes_[node].parent, node, up);
    inner = node;
    nodes_[node].parent = up;
    relink({node, up});
}

// A new key attaches where a descent would end: as the right child of its
// predecessor when that has none (the successor is then its ancestor), else
// as the left child of its successor, which then has no left child.
void OrderedIndex::attachBetween(RecordId id, RecordId predecessor, RecordId successor) {
    const bool asRight = predecessor != NoRecord && nodes_[predecessor].right == NoRecord;
    const RecordId parent = asRight ? predecessor : successor;
    assert(parent != NoRecord && (asRight || nodes_[parent].left == NoRecord));
    const RecordId other = chains_.isMade() ? onlyChild(parent) : NoRecord;
    if (other != NoRecord) {
        // The parent's chain went on into its other child and stops there now.
        cutLink(other);
    }
    (asRight ? nodes_[parent].right : nodes_[parent].left) = id;
    nodes_[id].parent = parent;
    if (other == NoRecord && chains_.isMade()) {
        joinLink(parent, id);
    }
}

void OrderedIndex::insert(RecordId id) {
    assert(id < nodes_.size() && keys_.readyToInsert() && (!chains_.isMade() || chains_.hasRoomFor(id)));
    nodes_[id] = IndexNode{};
    const IndexKey key = records_.keyOf(id);
    const Probe probe{key, records_.nameOf(id)};
    const KeyOrder::Position at = partitionPoint(probe, [](Relation r) { return isBelow(r); });
    if (root_ == NoRecord) {
        root_ = id;
        paint(id, Colour::Black);
        noteInserted(id, keys_.insert(at, id));
        return;
    }
    attachBetween(id, keys_.idAt(keys_.previous(at)), keys_.idAt(at));
    noteInserted(id, keys_.insert(at, id));
    repairInsert(id);
}

void OrderedIndex::repairInsert(RecordId x) {
    unsigned plainWalk = 0;
    for (;;) {
        ++work_.repairSteps;
        const RecordId p = nodes_[x].parent;
        if (p == NoRecord) {
            paint(x, Colour::Black);
            return;
        }
        // x is red here: the new node, or a grandparent just made red.
        if (colourOf(p) == Colour::Black) {
            return;
        }
        const RecordId g = nodes_[p].parent;
        if (g == NoRecord) {
            // A red root does not arise; end the repair rather than rely on it.
            paint(p, Colour::Black);
            return;
        }
        if (onlyChild(g) == p) {
            // The uncle is missing: the repair climbs p's chain, step by step
            // while it is plain and the walk short, else in one stretch.
            if (!managed(p) && ++plainWalk > plainWalkLimit_ && makeChains()) {
                manageChainOf(p);
            }
            if (managed(p)) {
                x = climbChain(p);
                continue;
            }
            paint(p, Colour::Black);
            paint(g, Colour::Red);
            x = g;
            continue;
        }
        const RecordId uncle = sibling(p);
        if (colourOf(uncle) == Colour::Black) {
            restructure(x, p, g);
            return;
        }
        paint(p, Colour::Black);
        paint(uncle, Colour::Black);
        paint(g, Colour::Red);
        x = g;
    }
}

// The repair at a red node with a red parent p whose parent has no other
// child. Each step makes p black and its parent red and moves two nodes up;
// within p's chain that continues while the colours alternate, so the whole
// climb inside the chain flips one alternating stretch that ends at p. It
// stops below the deepest pair of blacks above p, or at the chain's top (the
// stretch has even length: it starts black and ends at the red p). Returns
// the red node where the repair goes on.
RecordId OrderedIndex::climbChain(RecordId p) {
    RecordId top = chains_.deepestBlackPairTo(p);
    if (top == NoRecord) {
        top = chains_.first(p);
        if (chains_.colour(top) == Colour::Red) {
            top = chains_.next(top);
        }
    }
    assert(top != p && chains_.colour(top) == Colour::Black && managed(top));
    chains_.flip(top, p);
    return top;
}

void OrderedIndex::restructure(RecordId x, RecordId p, RecordId g) {
    RecordId middle = p;
    if (nodes_[g].left == p) {
        if (nodes_[p].right == x) {
            rotate(p, true);
            middle = x;
        }
        rotate(g, false);
    } else {
        if (nodes_[p].left == x) {
            rotate(p, false);
            middle = x;
        }
        rotate(g, true);
    }
    paint(middle, Colour::Black);
    paint(g, Colour::Red);
}

void OrderedIndex::remove(RecordId d) {
    const KeyOrder::Position at = positionOf(d);
    if (nodes_[d].left == NoRecord) {
        const RecordId q = nodes_[d].parent;
        const RecordId child = nodes_[d].right;
        const Colour taken = colourOf(d);
        isolate(d);
        if (q == NoRecord) {
            root_ = child;
            if (child != NoRecord) {
                nodes_[child].parent = NoRecord;
                paint(child, Colour::Black);
            }
            keys_.erase(at);
            return;
        }
        isolate(q);
        replaceChild(q, d, child);
        relink({q});
        keys_.erase(at);
        if (taken == Colour::Black) {
            passColourUp(q);
        }
        return;
    }
    // The predecessor s (the rightmost node of d's left subtree) leaves its
    // place to its left child and takes d's place and colour: the same tree
    // as d's place taking over s's record.
    const RecordId s = keys_.idAt(keys_.previous(at));
    const RecordId q = nodes_[s].parent;
    const RecordId sChild = nodes_[s].left;
    const Colour taken = colourOf(s);
    const Colour dColour = colourOf(d);
    isolate(s);
    isolate(q);
    isolate(d);
    replaceChild(q, s, sChild);
    const IndexNode place = nodes_[d];
    nodes_[s].parent = place.parent;
    nodes_[s].left = place.left;
    nodes_[s].right = place.right;
    replaceChild(place.parent, d, s);
    for (const RecordId child : {place.left, place.right}) {
        if (child != NoRecord) {
            nodes_[child].parent = s;
        }
    }
    paint(s, dColour);
    const RecordId start = q == d ? s : q;
    relink({start, s});
    keys_.erase(at);
    if (taken == Colour::Black) {
        passColourUp(start);
    }
}

// A black node was taken out below parent: a red parent becomes black, a
// black one double black, which the remove repair resolves.
void OrderedIndex::passColourUp(RecordId parent) {
    if (colourOf(parent) == Colour::Red) {
        paint(parent, Colour::Black);
        return;
    }
    repairRemove(parent);
}

// x is double black; its stored colour is black throughout, since every way
// out of the repair leaves it black.
void OrderedIndex::repairRemove(RecordId x) {
    unsigned plainWalk = 0;
    for (;;) {
        ++work_.repairSteps;
        const RecordId p = nodes_[x].parent;
        if (p == NoRecord) {
            return;
        }
        const bool xIsLeft = nodes_[p].left == x;
        const RecordId s = xIsLeft ? nodes_[p].right : nodes_[p].left;
        if (s == NoRecord) {
            x = pushUpChain(x, plainWalk);
            if (x == NoRecord) {
                return;
            }
            continue;
        }
        if (colourOf(s) == Colour::Red) {
            // Rotate the sibling up; x then has a black sibling.
            rotate(p, xIsLeft);
            paint(s, Colour::Black);
            paint(p, Colour::Red);
            continue;
        }
        if (rotateRedNephewUp(p, s, xIsLeft)) {
            return;
        }
        // Push up: the sibling turns red and p takes the extra black.
        paint(s, Colour::Red);
        if (colourOf(p) == Colour::Red) {
            paint(p, Colour::Black);
            return;
        }
        x = p;
    }
}

// The push up where x has no sibling: x is its parent's only child, the two
// in one chain. Every black node on the way up passes the double black on and
// stays black; the first red one ends it by turning black. Along a managed
// chain the deepest red above x is found at once, and past the chain's top
// the double black goes on from there. Returns where it goes on, or NoRecord
// when it has ended.
RecordId OrderedIndex::pushUpChain(RecordId x, unsigned& plainWalk) {
    if (!managed(x) && ++plainWalk > plainWalkLimit_ && makeChains()) {
        manageChainOf(x);
    }
    if (managed(x)) {
        const RecordId red = chains_.deepestRedAbove(x);
        if (red != NoRecord) {
            paint(red, Colour::Black);
            return NoRecord;
        }
        return chains_.first(x);
    }
    const RecordId p = nodes_[x].parent;
    if (colourOf(p) == Colour::Red) {
        paint(p, Colour::Black);
        return NoRecord;
    }
    return p;
}

// With x double black under p and a black sibling s: when a child of s is
// red, rotations end the repair (the far rotation, after a near rotation when
// only the near child is red). False when both children of s are black.
bool OrderedIndex::rotateRedNephewUp(RecordId p, RecordId s, bool xIsLeft) {
    const RecordId nearChild = xIsLeft ? nodes_[s].left : nodes_[s].right;
    RecordId farChild = xIsLeft ? nodes_[s].right : nodes_[s].left;
    const bool farIsRed = farChild != NoRecord && colourOf(farChild) == Colour::Red;
    const bool nearIsRed = nearChild != NoRecord && colourOf(nearChild) == Colour::Red;
    if (!farIsRed && !nearIsRed) {
        return false;
    }
    if (!farIsRed) {
        // Near rotation: the near child takes the sibling's place and the
        // old sibling becomes its red far child.
        rotate(s, !xIsLeft);
        paint(nearChild, Colour::Black);
        paint(s, Colour::Red);
        farChild = s;
        s = nearChild;
    }
    const Colour parentColour = colourOf(p);
    rotate(p, xIsLeft);
    paint(s, parentColour);
    paint(p, Colour::Black);
    paint(farChild, Colour::Black);
    return true;
}

// The highest node of a run of consecutive keys first..last (in-order), which
// holds all the others below it. Two walkers climb from the ends: the one
// from first meets only nodes inside or below the run until it passes the
// top, the one from last only nodes inside or above; the first node above the
// run met from first, or below it met from last, lies over the top, and the
// last node inside the run that the walker met is the top. Walking both by
// turns costs at most twice the shorter way to such a node.
template <typename Classify>
RecordId OrderedIndex::topOfRange(RecordId first, RecordId last, Classify classify) const {
    struct Walker {
        RecordId at;
        RecordId top;   // the last node inside the run met so far
        Side passedAt;  // meeting a node on this side means the top is passed
    };
    // One step up; true once the walker knows the top.
    const auto climb = [this, &classify](Walker& walker) {
        ++work_.nodeVisits;
        const RecordId up = nodes_[walker.at].parent;
        if (up == NoRecord) {
            return true;
        }
        const Side side = classify(up);
        if (side == walker.passedAt) {
            return true;
        }
        if (side == Side::Inside) {
            walker.top = up;
        }
        walker.at = up;
        return false;
    };
    Walker fromFirst{first, first, Side::Above};
    Walker fromLast{last, last, Side::Below};
    for (;;) {
        if (climb(fromFirst)) {
            return fromFirst.top;
        }
        if (climb(fromLast)) {
            return fromLast.top;
        }
    }
}

RecordId OrderedIndex::find(const Probe& key) const {
    const KeyOrder::Position at = partitionPoint(key, [](Relation r) { return isBelow(r); });
    const RecordId first = keys_.idAt(at);
    if (first == NoRecord || compareNode(first, key) != Relation::Same) {
        return NoRecord;
    }
    // Most keys are unique: one look at the next record tells; only a run of
    // equal keys needs the search for its end.
    const RecordId next = keys_.idAt(keys_.next(at));
    if (next == NoRecord || compareNode(next, key) != Relation::Same) {
        return first;
    }
    const KeyOrder::Position end = partitionPoint(key, [](Relation r) { return !isAbove(r); });
    const RecordId last = keys_.idAt(keys_.previous(end));
    return topOfRange(first, last, [this, &key](RecordId node) {
        const Relation r = compareNode(node, key);
        return isBelow(r) ? Side::Below : isAbove(r) ? Side::Above : Side::Inside;
    });
}

void OrderedIndex::collectEqualPrimary(const Probe& key, std::vector<RecordId>& out) const {
    const auto sideOf = [this, &key](RecordId node) {
        const Relation r = compareNode(node, key);
        return r == Relation::Below ? Side::Below : r == Relation::Above ? Side::Above : Side::Inside;
    };
    const KeyOrder::Position start = partitionPoint(key, [](Relation r) { return r == Relation::Below; });
    const RecordId first = keys_.idAt(start);
    if (first == NoRecord || compareNode(first, key) == Relation::Above) {
        return;
    }
    const KeyOrder::Position end = partitionPoint(key, [](Relation r) { return r != Relation::Above; });
    const RecordId last = keys_.idAt(keys_.previous(end));
    const RecordId top = topOfRange(first, last, sideOf);
    // Pre-order walk with an explicit stack. A subtree that lies wholly below
    // or above the key's primary field holds no match and is passed over,
    // which leaves the order of the matches unchanged.
    std::vector<RecordId> pending{top};
    while (!pending.empty()) {
        ++work_.nodeVisits;
        const RecordId node = pending.back();
        pending.pop_back();
        const Side side = sideOf(node);
        if (side == Side::Inside) {
            out.push_back(node);
        }
        if (side != Side::Above && nodes_[node].right != NoRecord) {
            pending.push_back(nodes_[node].right);
        }
        if (side != Side::Below && nodes_[node].left != NoRecord) {
            pending.push_back(nodes_[node].left);
        }
    }
}

void OrderedIndex::insertAll(std::size_t count, const BulkProgress& progress) {
    assert(root_ == NoRecord);
    const std::span<RecordId> sorted = keys_.bulkEntries(count);
    sortKeys(records_, order_, sorted);
    fileByRank(sorted, progress);
    renumber([&sorted](RecordId rank) { return sorted[rank]; },
             [&sorted](RecordId rank) { __builtin_prefetch(&sorted[rank]); });
    keys_.finishBulk(count);
}

// The records are filed in an order unrelated to their ranks, so each filing
// touches far places of the node array: its neighbours', then their
// parents' and the uncle's. They are fetched into the cache for the filings
// some steps ahead, a level of the tree further each time the filing comes
// nearer, from the neighbours foreseen when it was Ahead steps away (a guess:
// closer ones may be filed meanwhile). Reads only what an earlier step
// fetched, so that waiting for memory overlaps the filings in between.
void OrderedIndex::fetchAhead(FilingForesight& foresight, const RankSet& filed, std::size_t k,
                              std::size_t count) const {
    constexpr std::size_t Ahead = FilingForesight::Ahead;
    if (k + Ahead < count) {
        const RecordId later = filingRank(k + Ahead);
        FilingForesight::Neighbours& near = foresight.at(k + Ahead);
        near = {filed.previous(later), filed.next(later)};
        for (const std::uint32_t node : near) {
            if (node != RankSet::None) {
                __builtin_prefetch(&nodes_[node]);
            }
        }
    }
    if (k + Ahead / 2 < count) {
        for (const std::uint32_t node : foresight.at(k + Ahead / 2)) {
            if (node != RankSet::None && nodes_[node].parent != NoRecord) {
                __builtin_prefetch(&nodes_[nodes_[node].parent]);
            }
        }
    }
    if (k + Ahead / 4 < count) {
        for (const std::uint32_t node : foresight.at(k + Ahead / 4)) {
            if (node == RankSet::None || nodes_[node].parent == NoRecord) {
                continue;
            }
            const IndexNode& parent = nodes_[nodes_[node].parent];
            const RecordId uncle = parent.left == node ? parent.right : parent.left;
            if (uncle != NoRecord) {
                __builtin_prefetch(&nodes_[uncle]);
            }
            if (parent.parent != NoRecord) {
                __builtin_prefetch(&nodes_[parent.parent]);
            }
        }
    }
}

// Builds the tree of inserting the records numbered 0..size-1 one by one in
// that order, with each record's rank in sorted as its node number, so that
// neighbours in key order, which the insertions touch together, lie side by
// side in memory. Each record's place comes from its neighbours among the
// records filed before it: the nearest filed ranks below and above its own.
void OrderedIndex::fileByRank(std::span<const RecordId> sorted, const BulkProgress& progress) {
    const std::size_t count = sorted.size();
    assert(count < (std::size_t{1} << (32 - PlainBits)));
    nodes_.assign(count, IndexNode{});
    // While the records are filed, the leaf bits of the node at n hold the
    // rank of record n instead (filingRank), which saves an array as large
    // as the index.
    for (std::size_t k = 0; k < count; ++k) {
        setLeaf(sorted[k], static_cast<RecordId>(k));
    }
    RankSet filed(count);
    FilingForesight foresight;
    for (std::size_t k = 0; k < count; ++k) {
        fetchAhead(foresight, filed, k, count);
        const std::uint32_t rank = filingRank(k);
        if (root_ == NoRecord) {
            root_ = rank;
            paint(rank, Colour::Black);
        } else {
            const std::uint32_t below = filed.previous(rank);
            const std::uint32_t above = filed.next(rank);
            attachBetween(rank, below == RankSet::None ? NoRecord : below, above == RankSet::None ? NoRecord : above);
            repairInsert(rank);
        }
        filed.insert(rank);
        if ((k + 1) % BulkProgressStride == 0 && progress) {
            progress(k + 1);
        }
    }
    // The key order's leaves are filled in rank order, each to the full.
    for (std::size_t k = 0; k < count; ++k) {
        setLeaf(static_cast<RecordId>(k), static_cast<RecordId>(k / KeyOrder::LeafCapacity));
    }
}

// Renumbers every node from n to numberOf(n), a permutation of the node
// numbers: the tree's links and nodes, and the chain set's.
template <typename NumberOf, typename PrefetchNumberOf>
void OrderedIndex::renumber(NumberOf numberOf, PrefetchNumberOf prefetchNumberOf) {
    renumberNodes(nodes_, numberOf, prefetchNumberOf, [](IndexNode& node, const auto& map) {
        node.parent = map(node.parent);
        node.left = map(node.left);
        node.right = map(node.right);
    });
    root_ = root_ == NoRecord ? NoRecord : numberOf(root_);
    chains_.renumber(numberOf, prefetchNumberOf);
}

void OrderedIndex::clear() {
    std::vector<IndexNode>().swap(nodes_);
    chains_.clear();
    keys_.clear();
    root_ = NoRecord;
}

OrderedIndex::Work OrderedIndex::work() const {
    Work total = work_;
    total.chainSteps = chains_.steps();
    return total;
}

std::size_t OrderedIndex::heldBytes() const { return nodes_.capacity() * sizeof(IndexNode) + keys_.heldBytes(); }

bool OrderedIndex::invariantsHold(std::string& why) const {
    if (root_ != NoRecord && nodes_[root_].parent != NoRecord) {
        why = "the root has a parent";
        return false;
    }
    if (!keys_.structureHolds()) {
        why = "the key order's B+ tree does not hold together";
        return false;
    }
    std::vector<RecordId> inOrder;
    if (!linksAndOrderHold(inOrder, why)) {
        return false;
    }
    if (root_ != NoRecord && colourOf(root_) != Colour::Black) {
        why = "the root is red";
        return false;
    }
    for (const RecordId node : inOrder) {
        const RecordId parent = nodes_[node].parent;
        if (parent != NoRecord && colourOf(node) == Colour::Red && colourOf(parent) == Colour::Red) {
            why = "a red node has a red parent: node " + std::to_string(node);
            return false;
        }
        // A node starts its chain exactly when its parent does not have it
        // as its only child.
        if (!isOnlyChild(node) && !chainHolds(node, why)) {
            return false;
        }
    }
    return true;
}

// The tree's links agree, and its in-order (given back in inOrder) is sorted
// and is the key order, each node knowing its leaf.
bool OrderedIndex::linksAndOrderHold(std::vector<RecordId>& inOrder, std::string& why) const {
    std::vector<RecordId> pending;
    for (RecordId node = root_; node != NoRecord || !pending.empty();) {
        if (node != NoRecord) {
            pending.push_back(node);
            node = nodes_[node].left;
            continue;
        }
        node = pending.back();
        pending.pop_back();
        inOrder.push_back(node);
        for (const RecordId child : {nodes_[node].left, nodes_[node].right}) {
            if (child != NoRecord && nodes_[child].parent != node) {
                why = "a child's parent link points elsewhere: node " + std::to_string(child);
                return false;
            }
        }
        node = nodes_[node].right;
    }
    if (inOrder.size() != keys_.size()) {
        why = "the tree and the key order hold different numbers of records";
        return false;
    }
    std::size_t k = 0;
    for (KeyOrder::Position at = keys_.first(); keys_.idAt(at) != NoRecord; at = keys_.next(at), ++k) {
        if (k == inOrder.size() || keys_.idAt(at) != inOrder[k]) {
            why = "the key order differs from the tree's in-order at " + std::to_string(k);
            return false;
        }
        if (leafOf(inOrder[k]) != at.leaf) {
            why = "a node does not know its key order leaf: node " + std::to_string(inOrder[k]);
            return false;
        }
        const Probe probe{records_.keyOf(inOrder[k]), records_.nameOf(inOrder[k])};
        if (k > 0 && isAbove(compareNode(inOrder[k - 1], probe))) {
            why = "the in-order is not sorted at " + std::to_string(k);
            return false;
        }
    }
    return true;
}

// The chain that starts at top runs down single children to a node without
// exactly one child, is managed as a whole or not at all, and when managed
// the chain set holds exactly it, with right summaries.
bool OrderedIndex::chainHolds(RecordId top, std::string& why) const {
    const bool chainManaged = managed(top);
    for (RecordId member = top; member != NoRecord; member = onlyChild(member)) {
        if (managed(member) != chainManaged) {
            why = "a chain is managed in part at node " + std::to_string(top);
            return false;
        }
    }
    if (!chainManaged) {
        return true;
    }
    RecordId expected = top;
    for (const RecordId member : chains_.chainOf(top)) {
        if (member != expected) {
            why = "a chain differs from the tree's single-child path at node " + std::to_string(top);
            return false;
        }
        expected = onlyChild(member);
    }
    if (expected != NoRecord) {
        why = "a chain ends before its path does at node " + std::to_string(top);
        return false;
    }
    if (!chains_.summariesHold(top)) {
        why = "a chain's summaries are wrong at node " + std::to_string(top);
        return false;
    }
    return true;
}

}  // namespace recdb
