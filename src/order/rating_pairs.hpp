#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace recdb {

// The distinct rating pairs (as written, so 1.2 and 2.4 are two pairs) met
// in a pass over records, numbered in the order they were first met, in a
// small open-addressing table. Real data has few: past MaxPairs the table
// stops taking new ones and says so, and its users take another way.
class RatingPairs {
public:
    static constexpr std::size_t MaxPairs = 4096;
    static constexpr std::size_t Full = SIZE_MAX;

    struct Pair {
        std::int32_t num;
        std::int32_t den;
    };

    // The number of a pair, numbering it when new; Full when it is new and
    // MaxPairs pairs are numbered already.
    std::size_t note(std::int32_t num, std::int32_t den);
    // The number of a pair noted before.
    std::size_t numberOf(std::int32_t num, std::int32_t den) const { return slots_[find(num, den)].number; }
    // The pairs by their numbers.
    const std::vector<Pair>& pairs() const { return pairs_; }

private:
    struct Slot {
        Pair pair{};
        std::size_t number = 0;
        bool used = false;
    };
    static constexpr std::size_t TableSize = 2 * MaxPairs;

    std::size_t find(std::int32_t num, std::int32_t den) const;

    std::vector<Slot> slots_ = std::vector<Slot>(TableSize);
    std::vector<Pair> pairs_;
};

}  // namespace recdb
