#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace recdb {

// Counts names exactly: each distinct name once, with its count and the
// number and place of its first record. The caller keeps it within a budget
// of bytes by giving up the names whose hashes lie above a bound.
class ExactNames {
public:
    struct Entry {
        std::uint64_t hash;
        std::uint64_t firstRecord;
        std::uint64_t firstPlace;
        std::size_t nameStart;
        std::uint32_t count;  // stays at its largest value once there
        std::uint32_t nameSize;
    };

    // The budget goes three quarters to the entries with their slots (two
    // per entry at most) and a quarter to the names' bytes.
    explicit ExactNames(std::size_t budgetBytes);

    // Whether that many names of that many bytes in all surely fit.
    bool fits(std::uint64_t names, std::uint64_t bytes) const { return names <= maxEntries_ && bytes <= maxNameBytes_; }
    bool overBudget() const { return entries_.size() > maxEntries_ || names_.size() > maxNameBytes_; }
    std::size_t size() const { return entries_.size(); }

    void add(std::uint64_t hash, std::string_view name, std::uint64_t record, std::uint64_t place);
    // Gives up, in place, every name whose hash lies above high.
    void dropAbove(std::uint64_t high);
    // Forgets every name and gives back the memory.
    void clear();

    // In the order in which the names came.
    const std::vector<Entry>& entries() const { return entries_; }
    std::string_view nameOf(const Entry& entry) const {
        return std::string_view(names_).substr(entry.nameStart, entry.nameSize);
    }

private:
    void makeRoom(std::size_t nameSize);
    // Files every entry in a table of slots of that size.
    void reindex(std::size_t slots);

    std::size_t maxEntries_;
    std::size_t maxNameBytes_;
    std::vector<Entry> entries_;
    std::string names_;
    std::vector<std::uint32_t> slots_;  // entry index + 1; 0 is a free slot
};

}  // namespace recdb
