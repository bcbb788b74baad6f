#include "store/name_table.hpp"

#include <algorithm>
#include <functional>

namespace recdb {

namespace {

// The table is never more than this full (in eighths): it grows to twice the
// room when an insert would pass that, and a bulk filing sizes it to just
// that. With the tags, a miss then reads about two slots on average.
constexpr std::size_t MaxLoadEighths = 6;

std::size_t slotsFor(std::size_t count) { return std::max<std::size_t>(16, count * 8 / MaxLoadEighths + 1); }

}  // namespace

std::uint64_t NameTable::hashOf(std::string_view name) {
    // Spread the standard hash so that the low bits (the home slot) and the
    // top byte (the tag) both depend on every bit of it.
    std::uint64_t hash = std::hash<std::string_view>{}(name);
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    return hash;
}

void NameTable::allocate(std::size_t count) {
    const std::size_t slots = slotsFor(count);
    std::vector<NodeId> freshSlots(slots, NoNode);
    std::vector<std::uint8_t> freshTags(slots, 0);
    slots_.swap(freshSlots);
    tags_.swap(freshTags);
}

void NameTable::place(NodeId id, std::uint64_t hash) {
    std::size_t slot = homeOf(hash);
    while (slots_[slot] != NoNode) {
        slot = after(slot);
    }
    slots_[slot] = id;
    tags_[slot] = tagOf(hash);
}

void NameTable::prepareInsert() {
    if ((count_ + 1) * 8 <= slots_.size() * MaxLoadEighths) {
        return;
    }
    NameTable grown(records_);
    grown.allocate(2 * (count_ + 1));
    for (const NodeId id : slots_) {
        if (id != NoNode) {
            grown.place(id, hashOf(records_.name(id)));
        }
    }
    slots_.swap(grown.slots_);
    tags_.swap(grown.tags_);
}

void NameTable::insert(NodeId id) {
    place(id, hashOf(records_.name(id)));
    ++count_;
}

NodeId NameTable::find(std::string_view name) const {
    if (count_ == 0) {
        return NoNode;
    }
    const std::uint64_t hash = hashOf(name);
    const std::uint8_t tag = tagOf(hash);
    for (std::size_t slot = homeOf(hash); slots_[slot] != NoNode; slot = after(slot)) {
        if (tags_[slot] == tag && records_.name(slots_[slot]) == name) {
            return slots_[slot];
        }
    }
    return NoNode;
}

// Linear probing without tombstones: after emptying a slot, later entries of
// its run move back into it if their home slot does not lie after it.
void NameTable::remove(NodeId id) {
    std::size_t hole = homeOf(hashOf(records_.name(id)));
    while (slots_[hole] != id) {
        hole = after(hole);
    }
    // How far a slot lies cyclically after another.
    const auto distance = [this](std::size_t from, std::size_t to) {
        return to >= from ? to - from : to + slots_.size() - from;
    };
    for (std::size_t slot = after(hole); slots_[slot] != NoNode; slot = after(slot)) {
        const std::size_t home = homeOf(hashOf(records_.name(slots_[slot])));
        // The entry may move back when its home is not cyclically in (hole, slot].
        const bool homeAfterHole = home != hole && distance(hole, home) <= distance(hole, slot);
        if (!homeAfterHole) {
            slots_[hole] = slots_[slot];
            tags_[hole] = tags_[slot];
            hole = slot;
        }
    }
    slots_[hole] = NoNode;
    tags_[hole] = 0;
    --count_;
}

bool NameTable::insertAll(std::size_t count, const BulkProgress& progress) {
    allocate(count);
    // The home slots are far apart in a large table: the hashes of the next
    // names are worked out ahead and their slots fetched into the cache.
    constexpr std::size_t Ahead = 16;
    std::uint64_t hashes[Ahead];
    const auto look = [this, &hashes, count](std::size_t k) {
        if (k < count) {
            const std::uint64_t hash = hashOf(records_.name(static_cast<NodeId>(k)));
            hashes[k % Ahead] = hash;
            __builtin_prefetch(&slots_[homeOf(hash)], 1);
            __builtin_prefetch(&tags_[homeOf(hash)], 1);
        }
    };
    for (std::size_t k = 0; k < Ahead; ++k) {
        look(k);
    }
    for (std::size_t k = 0; k < count; ++k) {
        const auto id = static_cast<NodeId>(k);
        const std::uint64_t hash = hashes[k % Ahead];
        look(k + Ahead);
        const std::uint8_t tag = tagOf(hash);
        const std::string_view name = records_.name(id);
        std::size_t slot = homeOf(hash);
        for (; slots_[slot] != NoNode; slot = after(slot)) {
            if (tags_[slot] == tag && records_.name(slots_[slot]) == name) {
                clear();
                return false;
            }
        }
        slots_[slot] = id;
        tags_[slot] = tag;
        ++count_;
        if (count_ % BulkProgressStride == 0 && progress) {
            progress(count_);
        }
    }
    return true;
}

void NameTable::clear() {
    std::vector<NodeId>().swap(slots_);
    std::vector<std::uint8_t>().swap(tags_);
    count_ = 0;
}

std::size_t NameTable::heldBytes() const { return slots_.capacity() * sizeof(NodeId) + tags_.capacity(); }

}  // namespace recdb
