#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "io/input_file.hpp"

namespace recdb {

// Finds, exactly, the names that occur more than once among the records of
// a file, in memory bounded by a budget whatever the file's size.
//
// Names are hashed to 64 bits, and a pass over the file counts only the
// names whose hash lies in the range of that pass. The first pass takes the
// whole range; whenever the names held would pass the budget, the upper half
// of the range still open is given up (its names dropped) and left to a later
// pass. The first pass also counts the names in shares of the hashes, and
// each later pass takes as many shares as surely fit. So a file whose
// distinct names fit in the budget is read once, and a larger one about as
// often as its names fill the budget; each name is counted in exactly one
// pass, so the answer is exact. This trades reading
// a regular file again (cheap, and cached) for memory that does not grow
// with the file; where the file cannot be read again, one pass with no budget
// is all there is.
class NameTally {
public:
    struct Repeat {
        std::string name;
        std::uint64_t count = 0;
        std::uint64_t firstRecord = 0;  // its number, from 1
        std::uint64_t firstPlace = 0;   // where it is: a byte offset or a line
    };
    static constexpr std::size_t Listed = 5;
    // The budget of check and import: a file of a million names (the size
    // the benchmarks use) is counted in one pass, in less memory than
    // loading that file takes; ten million take about ten passes.
    static constexpr std::size_t Budget = std::size_t{64} << 20;
    static constexpr std::size_t Unbounded = std::numeric_limits<std::size_t>::max();

    // Without a budget, one pass takes every name.
    explicit NameTally(std::size_t budgetBytes = Unbounded);

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
    struct Entry {
        std::uint64_t hash;
        std::uint64_t firstRecord;
        std::uint64_t firstPlace;
        std::size_t nameStart;
        std::uint32_t count;  // stays at its largest value once there
        std::uint32_t nameSize;
    };

    bool overBudget() const { return entries_.size() > maxEntries_ || names_.size() > maxNameBytes_; }
    void makeRoom(std::size_t nameSize);
    void insert(std::uint64_t hash, std::string_view name, std::uint64_t record, std::uint64_t place);
    // Files every entry in a table of slots of that size.
    void reindex(std::size_t slots);
    // Gives up the upper half of the open range and the names in it, in
    // place.
    void narrow();
    // Chooses the range of the next pass.
    void planPass();
    std::string_view nameOf(const Entry& entry) const {
        return std::string_view(names_).substr(entry.nameStart, entry.nameSize);
    }

    // The names of the first pass and their bytes, in 4096 shares of the
    // hashes by their top bits.
    struct Share {
        std::uint64_t names = 0;
        std::uint64_t bytes = 0;
    };
    static constexpr int ShareShift = 52;
    static constexpr std::size_t Shares = std::size_t{1} << (64 - ShareShift);

    std::vector<Share> shares_ = std::vector<Share>(Shares);
    std::size_t maxEntries_;
    std::size_t maxNameBytes_;
    std::uint64_t low_ = 0;
    std::uint64_t high_ = std::numeric_limits<std::uint64_t>::max();  // inclusive
    std::vector<Entry> entries_;
    std::string names_;
    std::vector<std::uint32_t> slots_;  // entry index + 1; 0 is a free slot
    std::uint64_t repeatedNames_ = 0;
    std::vector<Repeat> firstRepeats_;
    std::size_t passes_ = 1;
};

// Makes the further passes that a tally of a database file's names needs,
// reading the file again from its start (records numbered from 1, places as
// byte offsets). False when the file cannot be read again.
bool finishTally(io::InputFile& file, NameTally& names);

}  // namespace recdb
