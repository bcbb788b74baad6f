#include "file_tool/name_sieve.hpp"

#include <algorithm>
#include <bit>
#include <utility>

namespace recdb {

namespace {

constexpr std::uint32_t Used = 1;
constexpr std::uint32_t Mark = 2;
constexpr std::size_t FewestSlots = 1024;
// A fingerprint and its mark fill a slot: more slots than fingerprints
// would stand empty.
constexpr std::size_t MostSlots = std::size_t{1} << 30;

}  // namespace

MarkedPrints::MarkedPrints(std::vector<std::uint32_t> sorted) : prints_(std::move(sorted)) {
    const std::size_t bitCount = std::bit_ceil(std::max<std::size_t>(64, 16 * prints_.size()));
    bits_.assign(bitCount / 64, 0);
    bitMask_ = static_cast<std::uint32_t>(bitCount - 1);
    for (const std::uint32_t print : prints_) {
        const std::uint32_t bit = print & bitMask_;
        bits_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
}

bool MarkedPrints::contains(std::uint32_t fingerprint) const {
    const std::uint32_t bit = fingerprint & bitMask_;
    return !bits_.empty() && (bits_[bit / 64] >> (bit % 64) & 1) != 0 &&
           std::binary_search(prints_.begin(), prints_.end(), fingerprint);
}

NameSieve::NameSieve(std::size_t budgetBytes)
    : slotCount_(std::bit_floor(std::clamp(budgetBytes / sizeof(std::uint32_t), FewestSlots, MostSlots))),
      shift_(32 - std::countr_zero(slotCount_)) {}

void NameSieve::start() {
    slots_.assign(slotCount_, 0);
    used_ = 0;
    marked_ = 0;
    pendingCount_ = 0;
}

void NameSieve::add(std::uint64_t hash, bool repeated) {
    pending_[pendingCount_++] = {fingerprint(hash), repeated};
    if (pendingCount_ == Batch) {
        flush();
    }
}

void NameSieve::flush() {
    for (std::size_t k = 0; k < pendingCount_; ++k) {
        __builtin_prefetch(&slots_[home(pending_[k].fingerprint)]);
    }
    for (std::size_t k = 0; k < pendingCount_; ++k) {
        file(pending_[k].fingerprint, pending_[k].repeated);
    }
    pendingCount_ = 0;
}

bool NameSieve::full() {
    if (used_ + pendingCount_ > capacity()) {
        flush();
    }
    return used_ > capacity();
}

std::size_t NameSieve::marked() {
    flush();
    return marked_;
}

void NameSieve::file(std::uint32_t print, bool repeated) {
    const std::size_t mask = slotCount_ - 1;
    for (std::size_t slot = home(print);; slot = (slot + 1) & mask) {
        const std::uint32_t word = slots_[slot];
        if (word == 0) {
            slots_[slot] = print << 2 | (repeated ? Mark : 0) | Used;
            ++used_;
            marked_ += repeated ? 1 : 0;
            return;
        }
        if (word >> 2 == print) {
            if ((word & Mark) == 0) {
                slots_[slot] = word | Mark;
                ++marked_;
            }
            return;
        }
    }
}

void NameSieve::dropAbove(std::uint64_t high) {
    flush();
    const std::uint32_t limit = fingerprint(high);
    for (std::uint32_t& word : slots_) {
        if (word != 0 && word >> 2 > limit) {
            --used_;
            marked_ -= (word & Mark) != 0 ? 1 : 0;
            word = 0;
        }
    }
    reseat();
}

// Going round from a free slot, the entries between an entry's home and its
// slot have all been seated again before it, and no chain runs across the
// free slot; so each entry lands at or before where it stood.
void NameSieve::reseat() {
    const std::size_t mask = slotCount_ - 1;
    const auto freeSlot = static_cast<std::size_t>(std::find(slots_.begin(), slots_.end(), 0U) - slots_.begin());
    for (std::size_t k = 1; k <= slotCount_; ++k) {
        const std::size_t slot = (freeSlot + k) & mask;
        const std::uint32_t word = slots_[slot];
        if (word == 0) {
            continue;
        }
        slots_[slot] = 0;
        std::size_t seat = home(word >> 2);
        while (slots_[seat] != 0) {
            seat = (seat + 1) & mask;
        }
        slots_[seat] = word;
    }
}

MarkedPrints NameSieve::takeMarked() {
    flush();
    std::vector<std::uint32_t> marked;
    marked.reserve(marked_);
    for (const std::uint32_t word : slots_) {
        if ((word & Mark) != 0) {
            marked.push_back(word >> 2);
        }
    }
    std::sort(marked.begin(), marked.end());
    clear();
    return MarkedPrints(std::move(marked));
}

void NameSieve::clear() {
    slots_ = std::vector<std::uint32_t>();
    used_ = 0;
    marked_ = 0;
    pendingCount_ = 0;
}

}  // namespace recdb
