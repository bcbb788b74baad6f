#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "file_tool/exact_names.hpp"
#include "file_tool/name_sieve.hpp"
#include "io/input_file.hpp"

namespace recdb {

// Finds, exactly, the names that occur more than once among the records of
// a file, in memory bounded by a budget whatever the file's size.
//
// Names are hashed to 64 bits, and each pass over the file takes the names
// whose hash lies in its range. The first pass counts names exactly, as long
// as they fit the budget: a file of up to about a million names is read
// once. Where they do not, it goes on as a sieve (NameSieve) that notes only
// fingerprints, ten million in the same budget; the next pass then counts
// exactly only the names whose fingerprints were met twice, which are the
// names that repeat and few others. A name that occurs twice has both its
// records counted in that pass, so the count is exact. A file of up to
// about twelve million names is so read twice. Where the sieve or the exact
// count would pass the budget, the upper half of the range still open is
// given up (its names dropped) and left to a later pass, planned from the
// names the first pass met in each of 4096 shares of the hashes. Where the
// file cannot be read again, one pass with no budget is all there is.
class NameTally {
public:
    struct Repeat {
        std::string name;
        std::uint64_t count = 0;
        std::uint64_t firstRecord = 0;  // its number, from 1
        std::uint64_t firstPlace = 0;   // its byte offset
    };
    static constexpr std::size_t Listed = 5;
    // The budget of check and import.
    static constexpr std::size_t Budget = std::size_t{64} << 20;
    static constexpr std::size_t Unbounded = std::numeric_limits<std::size_t>::max();

    // Without a budget, one pass takes every name. hashBits keeps only the
    // top bits of each hash: tests make it small, so that many names share
    // hashes and fingerprints.
    explicit NameTally(std::size_t budgetBytes = Unbounded, int hashBits = 64);

    void add(std::string_view name, std::uint64_t record, std::uint64_t place);
    // Ends a pass; false when another pass over the same names is needed.
    bool endPass();

    // The number of names that occur more than once, and the first of them
    // in the file (by their first record), at most Listed.
    std::uint64_t repeatedNames() const { return repeatedNames_; }
    const std::vector<Repeat>& firstRepeats() const { return firstRepeats_; }
    // The passes made or begun.
    std::size_t passes() const { return passes_; }

private:
    // Names (records, at most) and their bytes in a share of the hashes.
    struct Share {
        std::uint64_t names = 0;
        std::uint64_t bytes = 0;
    };
    static constexpr int ShareShift = 52;
    static constexpr std::size_t Shares = std::size_t{1} << (64 - ShareShift);
    static constexpr std::uint64_t Last = std::numeric_limits<std::uint64_t>::max();

    void count(std::uint64_t hash, std::string_view name, std::uint64_t record, std::uint64_t place);
    void sieve(std::uint64_t hash, bool repeated);
    // Turns the first pass into a sieve, once its exact count is full.
    void startSieve();
    bool endSieve();
    bool endCount();
    // Goes on to the next range, or ends.
    bool nextRange();
    void collectRepeats();
    // The end of the range from low on whose shares' counts fit (at least
    // one share), at most limit.
    template <typename Fits>
    std::uint64_t plan(std::uint64_t low, std::uint64_t limit, const std::vector<Share>& counts, Fits fits) const;
    // The marked fingerprints of each share, taken for names of the
    // share's average size.
    std::vector<Share> markedShares() const;

    std::size_t budget_;
    std::uint64_t hashMask_;
    std::vector<Share> shares_ = std::vector<Share>(Shares);  // of the first pass
    std::vector<Share> estimates_;                            // of the names the exact passes count
    std::uint64_t low_ = 0;
    std::uint64_t high_ = Last;       // inclusive: the range of this pass
    std::uint64_t rangeHigh_ = Last;  // the end of the range the sieve took
    bool sieving_ = false;
    bool filtered_ = false;  // counting only names with marked fingerprints
    ExactNames exact_;
    NameSieve sieve_;
    MarkedPrints marked_;
    std::uint64_t repeatedNames_ = 0;
    std::vector<Repeat> firstRepeats_;
    std::size_t passes_ = 1;
};

// Makes the further passes that a tally of a database file's names needs,
// reading the file again from its start (records numbered from 1, places as
// byte offsets). False when the file cannot be read again.
bool finishTally(io::InputFile& file, NameTally& names);

}  // namespace recdb
