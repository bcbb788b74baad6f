#include "file_tool/exact_names.hpp"

#include <algorithm>
#include <limits>

#include "store/record.hpp"

namespace recdb {

namespace {

constexpr std::size_t FirstSlots = 1024;
constexpr std::size_t Unbounded = std::numeric_limits<std::size_t>::max();

}  // namespace

ExactNames::ExactNames(std::size_t budgetBytes)
    : maxEntries_(budgetBytes == Unbounded ? Unbounded
                                           : budgetBytes / 4 * 3 / (sizeof(Entry) + 2 * sizeof(std::uint32_t))),
      maxNameBytes_(budgetBytes == Unbounded ? Unbounded : budgetBytes / 4) {}

void ExactNames::makeRoom(std::size_t nameSize) {
    // Small tallies grow as usual; past an eighth of the budget the whole
    // of it is taken at once, so that growing never holds two large copies.
    if (maxEntries_ == Unbounded) {
        return;
    }
    if (entries_.size() == entries_.capacity() && entries_.size() >= maxEntries_ / 8) {
        entries_.reserve(maxEntries_ + 1);
    }
    if (names_.size() + nameSize > names_.capacity() && names_.size() >= maxNameBytes_ / 8) {
        names_.reserve(maxNameBytes_ + MaxNameLength);
    }
}

void ExactNames::add(std::uint64_t hash, std::string_view name, std::uint64_t record, std::uint64_t place) {
    if (slots_.empty()) {
        slots_.assign(FirstSlots, 0);
    }
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t held = slots_[slot];
        if (held == 0) {
            makeRoom(name.size());
            slots_[slot] = static_cast<std::uint32_t>(entries_.size() + 1);
            entries_.push_back({hash, record, place, names_.size(), 1, static_cast<std::uint32_t>(name.size())});
            names_.append(name);
            if (2 * entries_.size() > slots_.size()) {
                reindex(2 * slots_.size());
            }
            return;
        }
        Entry& entry = entries_[held - 1];
        if (entry.hash == hash && nameOf(entry) == name) {
            if (entry.count != std::numeric_limits<std::uint32_t>::max()) {
                ++entry.count;
            }
            return;
        }
    }
}

void ExactNames::reindex(std::size_t slots) {
    slots_.assign(slots, 0);
    const std::size_t mask = slots - 1;
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        std::size_t slot = entries_[k].hash & mask;
        while (slots_[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        slots_[slot] = static_cast<std::uint32_t>(k + 1);
    }
}

void ExactNames::dropAbove(std::uint64_t high) {
    // Entries and their names stand in the order they came, so each moves
    // only towards the front.
    std::size_t kept = 0;
    std::size_t nameEnd = 0;
    for (const Entry& entry : entries_) {
        if (entry.hash <= high) {
            Entry moved = entry;
            std::copy_n(names_.begin() + static_cast<std::ptrdiff_t>(entry.nameStart), entry.nameSize,
                        names_.begin() + static_cast<std::ptrdiff_t>(nameEnd));
            moved.nameStart = nameEnd;
            nameEnd += entry.nameSize;
            entries_[kept++] = moved;
        }
    }
    entries_.resize(kept);
    names_.resize(nameEnd);
    reindex(slots_.size());
}

void ExactNames::clear() {
    // Assigning {} would keep the capacity.
    entries_ = std::vector<Entry>();
    names_ = std::string();
    slots_ = std::vector<std::uint32_t>();
}

}  // namespace recdb
