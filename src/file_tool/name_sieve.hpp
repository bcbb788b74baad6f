#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace recdb {

// The fingerprints a sieve marked, with a bitmap of sixteen bits a
// fingerprint that answers most questions about others at one look.
class MarkedPrints {
public:
    MarkedPrints() = default;
    explicit MarkedPrints(std::vector<std::uint32_t> sorted);

    bool contains(std::uint32_t fingerprint) const;
    // In ascending order.
    const std::vector<std::uint32_t>& prints() const { return prints_; }
    std::size_t bytes() const { return prints_.size() * sizeof(std::uint32_t) + bits_.size() * sizeof(std::uint64_t); }

private:
    std::vector<std::uint32_t> prints_;
    std::vector<std::uint64_t> bits_;
    std::uint32_t bitMask_ = 0;
};

// Which names may occur more than once, told apart by fingerprints (the top
// 30 bits of a name's 64-bit hash) in a table of four bytes a slot that
// marks those met more than once. A name that occurs twice always has its
// fingerprint marked; a marked fingerprint may still belong to names that
// each occur once, which an exact count of the marked names settles. A table
// of 64 MiB holds twelve million fingerprints, where counting as many names
// exactly takes some 700 MB.
class NameSieve {
public:
    static constexpr int FingerprintShift = 34;
    static std::uint32_t fingerprint(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> FingerprintShift);
    }

    // A table of the largest power of two of slots within the budget, made
    // when the sieve starts.
    explicit NameSieve(std::size_t budgetBytes);

    // Makes the empty table.
    void start();
    // Notes a name's hash; repeated marks it at once as met more than once.
    void add(std::uint64_t hash, bool repeated = false);
    // Whether the table holds as many fingerprints as it may (three
    // quarters of its slots).
    bool full();
    std::size_t capacity() const { return slotCount_ / 4 * 3; }
    // Gives up the fingerprints above that of high: the names whose hashes
    // lie above high, except those sharing the top bits of high.
    void dropAbove(std::uint64_t high);
    std::size_t marked();
    // The marked fingerprints; the table is given back.
    MarkedPrints takeMarked();
    void clear();

private:
    // Fingerprints wait in a batch, whose slots are fetched from memory all
    // at once before they are filed: in a table far larger than the caches,
    // waiting for each slot in turn would take most of the time.
    static constexpr std::size_t Batch = 32;
    struct Pending {
        std::uint32_t fingerprint;
        bool repeated;
    };

    void file(std::uint32_t fingerprint, bool repeated);
    void flush();
    std::size_t home(std::uint32_t fingerprint) const {
        return static_cast<std::size_t>((fingerprint * 0x9E3779B1U) >> shift_);
    }
    // Moves each entry to the first free slot from its home, after some
    // were dropped.
    void reseat();

    std::size_t slotCount_;
    int shift_;
    // A slot holds fingerprint << 2, the mark (2) and 1 for a used slot; 0
    // is a free one.
    std::vector<std::uint32_t> slots_;
    std::size_t used_ = 0;
    std::size_t marked_ = 0;
    std::array<Pending, Batch> pending_{};
    std::size_t pendingCount_ = 0;
};

}  // namespace recdb
