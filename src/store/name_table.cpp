#include "store/name_table.hpp"

#include <bit>
#include <functional>

namespace recdb {

namespace {

// The table grows before it is more than this full (in eighths).
constexpr std::size_t MaxLoadEighths = 5;

std::size_t slotsFor(std::size_t count) {
    return std::bit_ceil(std::max<std::size_t>(16, count * 8 / MaxLoadEighths + 1));
}

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
    mask_ = slots - 1;
}

void NameTable::place(NodeId id, std::uint64_t hash) {
    std::size_t slot = homeOf(hash);
    while (slots_[slot] != NoNode) {
        slot = (slot + 1) & mask_;
    }
    slots_[slot] = id;
    tags_[slot] = tagOf(hash);
}

void NameTable::prepareInsert() {
    if ((count_ + 1) * 8 <= slots_.size() * MaxLoadEighths) {
        return;
    }
    NameTable grown(records_);
    grown.allocate(count_ + 1);
    for (const NodeId id : slots_) {
        if (id != NoNode) {
            grown.place(id, hashOf(records_.name(id)));
        }
    }
    slots_.swap(grown.slots_);
    tags_.swap(grown.tags_);
    mask_ = grown.mask_;
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
    for (std::size_t slot = homeOf(hash); slots_[slot] != NoNode; slot = (slot + 1) & mask_) {
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
        hole = (hole + 1) & mask_;
    }
    for (std::size_t slot = (hole + 1) & mask_; slots_[slot] != NoNode; slot = (slot + 1) & mask_) {
        const std::size_t home = homeOf(hashOf(records_.name(slots_[slot])));
        // The entry may move back when its home is not cyclically in (hole, slot].
        const bool homeAfterHole = ((home - hole - 1) & mask_) < ((slot - hole) & mask_);
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

bool NameTable::insertAll(std::size_t count) {
    allocate(count);
    for (std::size_t k = 0; k < count; ++k) {
        const auto id = static_cast<NodeId>(k);
        const std::string_view name = records_.name(id);
        const std::uint64_t hash = hashOf(name);
        const std::uint8_t tag = tagOf(hash);
        std::size_t slot = homeOf(hash);
        for (; slots_[slot] != NoNode; slot = (slot + 1) & mask_) {
            if (tags_[slot] == tag && records_.name(slots_[slot]) == name) {
                clear();
                return false;
            }
        }
        slots_[slot] = id;
        tags_[slot] = tag;
        ++count_;
    }
    return true;
}

void NameTable::clear() {
    std::vector<NodeId>().swap(slots_);
    std::vector<std::uint8_t>().swap(tags_);
    mask_ = 0;
    count_ = 0;
}

std::size_t NameTable::heldBytes() const { return slots_.capacity() * sizeof(NodeId) + tags_.capacity(); }

}  // namespace recdb
