#include "file_tool/name_tally.hpp"

#include <algorithm>

#include "store/record_reader.hpp"

namespace recdb {

namespace {

// FNV-1a, then a 64-bit finaliser so that the high bits, which choose the
// pass, are as well mixed as the low bits, which choose the slot.
std::uint64_t hashName(std::string_view name) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char byte : name) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3ULL;
    }
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53ULL;
    hash ^= hash >> 33;
    return hash;
}

constexpr std::size_t FirstSlots = 1024;
constexpr std::size_t MaxNameBytes = MaxNameLength;

}  // namespace

// A budget goes three quarters to the entries with their slots (two per
// entry at most) and a quarter to the names' bytes.
NameTally::NameTally(std::size_t budgetBytes)
    : maxEntries_(budgetBytes == Unbounded ? Unbounded
                                           : budgetBytes / 4 * 3 / (sizeof(Entry) + 2 * sizeof(std::uint32_t))),
      maxNameBytes_(budgetBytes == Unbounded ? Unbounded : budgetBytes / 4) {}

void NameTally::makeRoom(std::size_t nameSize) {
    // Small tallies grow as usual; past an eighth of the budget the whole
    // of it is taken at once, so that growing never holds two large copies.
    if (maxEntries_ == Unbounded) {
        return;
    }
    if (entries_.size() == entries_.capacity() && entries_.size() >= maxEntries_ / 8) {
        entries_.reserve(maxEntries_ + 1);
    }
    if (names_.size() + nameSize > names_.capacity() && names_.size() >= maxNameBytes_ / 8) {
        names_.reserve(maxNameBytes_ + MaxNameBytes);
    }
}

void NameTally::add(std::string_view name, std::uint64_t record, std::uint64_t place) {
    const std::uint64_t hash = hashName(name);
    if (passes_ == 1) {
        Share& share = shares_[hash >> ShareShift];
        ++share.names;
        share.bytes += name.size();
    }
    if (hash < low_ || hash > high_) {
        return;
    }
    insert(hash, name, record, place);
    // One name is always held: a range that holds only one is not narrowed.
    while (overBudget() && entries_.size() > 1 && high_ > low_) {
        narrow();
    }
}

void NameTally::insert(std::uint64_t hash, std::string_view name, std::uint64_t record, std::uint64_t place) {
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

void NameTally::reindex(std::size_t slots) {
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

void NameTally::narrow() {
    high_ = low_ + (high_ - low_) / 2;
    // Entries and their names stand in the order they came, so each moves
    // only towards the front.
    std::size_t kept = 0;
    std::size_t nameEnd = 0;
    for (const Entry& entry : entries_) {
        if (entry.hash <= high_) {
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

bool NameTally::endPass() {
    for (const Entry& entry : entries_) {
        if (entry.count < 2) {
            continue;
        }
        ++repeatedNames_;
        const auto earlier = [](const Repeat& a, const Repeat& b) { return a.firstRecord < b.firstRecord; };
        Repeat repeat{std::string(nameOf(entry)), entry.count, entry.firstRecord, entry.firstPlace};
        const auto at = std::upper_bound(firstRepeats_.begin(), firstRepeats_.end(), repeat, earlier);
        if (at - firstRepeats_.begin() < static_cast<std::ptrdiff_t>(Listed)) {
            firstRepeats_.insert(at, std::move(repeat));
            if (firstRepeats_.size() > Listed) {
                firstRepeats_.pop_back();
            }
        }
    }
    entries_.clear();
    names_.clear();
    slots_.clear();
    if (high_ == std::numeric_limits<std::uint64_t>::max()) {
        return true;
    }
    low_ = high_ + 1;
    planPass();
    ++passes_;
    return false;
}

void NameTally::planPass() {
    // The names the first pass met in each share of the hashes bound the
    // distinct names of a range from above, so a range made of shares that
    // fit the budget needs no narrowing; at least one share is taken.
    std::uint64_t names = 0;
    std::uint64_t bytes = 0;
    std::size_t share = low_ >> ShareShift;
    for (; share < Shares; ++share) {
        names += shares_[share].names;
        bytes += shares_[share].bytes;
        if ((names > maxEntries_ || bytes > maxNameBytes_) && (share << ShareShift) > low_) {
            break;
        }
    }
    high_ = share == Shares ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{share} << ShareShift) - 1;
}

bool finishTally(io::InputFile& file, NameTally& names) {
    while (!names.endPass()) {
        if (!file.rewind()) {
            return false;
        }
        RecordReader reader(file);
        for (std::uint64_t number = 1; reader.skip() == RecordRead::Complete; ++number) {
            names.add(reader.record().name, number, reader.recordOffset());
        }
        if (file.failed()) {
            return false;
        }
    }
    return true;
}

}  // namespace recdb
