#include "file_tool/name_tally.hpp"

#include <algorithm>

#include "store/record_reader.hpp"

namespace recdb {

namespace {

// FNV-1a, then a 64-bit finaliser so that the high bits, which choose the
// pass and make the fingerprint, are as well mixed as the low bits, which
// choose the slot.
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

// The marked fingerprints that the exact passes may look names up in take
// at most a tenth of the budget (a million in 64 MiB, with their bitmap).
// Where more are marked, most names repeat, and the exact passes count every
// name of the range instead, which then costs hardly more.
constexpr std::size_t MarkedShare = 16;

}  // namespace

NameTally::NameTally(std::size_t budgetBytes, int hashBits)
    : budget_(budgetBytes),
      hashMask_(hashBits >= 64 ? Last : ~(Last >> hashBits)),
      exact_(budgetBytes),
      sieve_(budgetBytes) {}

void NameTally::add(std::string_view name, std::uint64_t record, std::uint64_t place) {
    const std::uint64_t hash = hashName(name) & hashMask_;
    if (passes_ == 1) {
        Share& share = shares_[hash >> ShareShift];
        ++share.names;
        share.bytes += name.size();
    }
    if (hash < low_ || hash > high_) {
        return;
    }
    if (sieving_) {
        sieve(hash, false);
    } else if (!filtered_ || marked_.contains(NameSieve::fingerprint(hash))) {
        count(hash, name, record, place);
    }
}

void NameTally::count(std::uint64_t hash, std::string_view name, std::uint64_t record, std::uint64_t place) {
    exact_.add(hash, name, record, place);
    if (!exact_.overBudget()) {
        return;
    }
    if (passes_ == 1 && budget_ != Unbounded) {
        startSieve();
        return;
    }
    // One name is always held: a range that holds only one is not narrowed.
    while (exact_.overBudget() && exact_.size() > 1 && high_ > low_) {
        high_ = low_ + (high_ - low_) / 2;
        exact_.dropAbove(high_);
    }
}

void NameTally::sieve(std::uint64_t hash, bool repeated) {
    sieve_.add(hash, repeated);
    // The range shrinks to one fingerprint at most, which always fits.
    while (sieve_.full() && high_ > low_) {
        high_ = low_ + (high_ - low_) / 2;
        sieve_.dropAbove(high_);
    }
}

void NameTally::startSieve() {
    // The names counted so far go into the sieve, those met twice marked.
    // Their fingerprints are set aside first, each with its mark in a
    // lowest bit, so that the count's memory is given back before the
    // sieve's is taken.
    std::vector<std::uint32_t> counted;
    counted.reserve(exact_.size());
    for (const ExactNames::Entry& entry : exact_.entries()) {
        counted.push_back(NameSieve::fingerprint(entry.hash) << 1 | (entry.count > 1 ? 1 : 0));
    }
    exact_.clear();
    sieving_ = true;
    sieve_.start();
    for (const std::uint32_t word : counted) {
        const std::uint64_t hash = std::uint64_t{word >> 1} << NameSieve::FingerprintShift;
        if (hash <= high_) {
            sieve(hash, (word & 1) != 0);
        }
    }
}

bool NameTally::endPass() { return sieving_ ? endSieve() : endCount(); }

bool NameTally::endSieve() {
    sieving_ = false;
    rangeHigh_ = high_;
    if (sieve_.marked() == 0) {
        sieve_.clear();
        return nextRange();
    }
    filtered_ = sieve_.marked() <= budget_ / sizeof(std::uint32_t) / MarkedShare;
    if (filtered_) {
        marked_ = sieve_.takeMarked();
        estimates_ = markedShares();
    } else {
        sieve_.clear();
        estimates_ = shares_;
    }
    exact_ = ExactNames(budget_ - marked_.bytes());
    high_ = plan(low_, rangeHigh_, estimates_, [this](auto names, auto bytes) { return exact_.fits(names, bytes); });
    ++passes_;
    return false;
}

bool NameTally::endCount() {
    collectRepeats();
    exact_.clear();
    if (high_ == rangeHigh_) {
        return nextRange();
    }
    low_ = high_ + 1;
    high_ = plan(low_, rangeHigh_, estimates_, [this](auto names, auto bytes) { return exact_.fits(names, bytes); });
    ++passes_;
    return false;
}

bool NameTally::nextRange() {
    marked_ = MarkedPrints();
    filtered_ = false;
    if (rangeHigh_ == Last) {
        return true;
    }
    low_ = rangeHigh_ + 1;
    high_ = plan(low_, Last, shares_, [this](auto names, auto) { return names <= sieve_.capacity(); });
    rangeHigh_ = high_;
    sieving_ = true;
    sieve_.start();
    ++passes_;
    return false;
}

void NameTally::collectRepeats() {
    const auto earlier = [](const Repeat& a, const Repeat& b) { return a.firstRecord < b.firstRecord; };
    for (const ExactNames::Entry& entry : exact_.entries()) {
        if (entry.count < 2) {
            continue;
        }
        ++repeatedNames_;
        Repeat repeat{std::string(exact_.nameOf(entry)), entry.count, entry.firstRecord, entry.firstPlace};
        const auto at = std::upper_bound(firstRepeats_.begin(), firstRepeats_.end(), repeat, earlier);
        if (at - firstRepeats_.begin() < static_cast<std::ptrdiff_t>(Listed)) {
            firstRepeats_.insert(at, std::move(repeat));
            if (firstRepeats_.size() > Listed) {
                firstRepeats_.pop_back();
            }
        }
    }
}

template <typename Fits>
std::uint64_t NameTally::plan(std::uint64_t low, std::uint64_t limit, const std::vector<Share>& counts,
                              Fits fits) const {
    // The names the first pass met in a share of the hashes bound its
    // distinct names from above, so a range planned from them needs no
    // narrowing; the marked fingerprints only estimate the names an exact
    // pass takes, which narrowing then corrects.
    std::uint64_t names = 0;
    std::uint64_t bytes = 0;
    std::size_t share = low >> ShareShift;
    for (; share < Shares; ++share) {
        names += counts[share].names;
        bytes += counts[share].bytes;
        if (!fits(names, bytes) && (std::uint64_t{share} << ShareShift) > low) {
            break;
        }
    }
    const std::uint64_t high = share == Shares ? Last : (std::uint64_t{share} << ShareShift) - 1;
    return std::min(high, limit);
}

std::vector<NameTally::Share> NameTally::markedShares() const {
    std::vector<Share> estimates(Shares);
    for (const std::uint32_t print : marked_.prints()) {
        ++estimates[print >> (ShareShift - NameSieve::FingerprintShift)].names;
    }
    for (std::size_t share = 0; share < Shares; ++share) {
        const Share& met = shares_[share];
        const std::uint64_t average = met.names == 0 ? 0 : (met.bytes + met.names - 1) / met.names;
        estimates[share].bytes = estimates[share].names * average;
    }
    return estimates;
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
