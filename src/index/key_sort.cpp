#include "index/key_sort.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace recdb {

namespace {

using Entry = KeyOrder::Entry;

// The distinct rating pairs of the records, in a small open-addressing table,
// each with its rank in the rating order (pairs of equal fractions share a
// rank) and the number of records that have it.
class RatingBuckets {
public:
    // At most this many distinct pairs; beyond, the buckets are not worth it.
    static constexpr std::size_t MaxPairs = 4096;

    // Counts the pairs of the records; false when there are too many.
    bool count(const RecordKeys& records, std::size_t size) {
        for (std::size_t k = 0; k < size; ++k) {
            const IndexKey key = records.keyOf(static_cast<NodeId>(k));
            const std::size_t at = find(key.ratingNum, key.ratingDen);
            if (!slots_[at].used) {
                if (pairs_.size() == MaxPairs) {
                    return false;
                }
                slots_[at] = {key.ratingNum, key.ratingDen, static_cast<std::uint32_t>(pairs_.size()), true};
                pairs_.push_back(at);
                counts_.push_back(0);
            }
            ++counts_[slots_[at].index];
        }
        return true;
    }

    // Ranks the pairs and lays out one bucket per rank: start(num, den) is
    // then where the next record of that rating goes.
    void layOut() {
        std::vector<std::size_t> byRating = pairs_;
        std::sort(byRating.begin(), byRating.end(), [this](std::size_t a, std::size_t b) {
            return compareRatings(slots_[a].num, slots_[a].den, slots_[b].num, slots_[b].den) == Relation::Below;
        });
        std::vector<std::size_t> next(pairs_.size());
        std::size_t offset = 0;
        for (std::size_t k = 0; k < byRating.size(); ++k) {
            const Slot& slot = slots_[byRating[k]];
            if (k > 0) {
                const Slot& before = slots_[byRating[k - 1]];
                if (compareRatings(before.num, before.den, slot.num, slot.den) != Relation::Same) {
                    bucketEnds_.push_back(offset);
                }
            }
            next[slot.index] = offset;
            offset += counts_[slot.index];
        }
        bucketEnds_.push_back(offset);
        // Pairs of one rank share a bucket, each taking the next stretch of
        // it; sorting the bucket then orders all its records by name.
        counts_.assign(next.begin(), next.end());
    }

    std::size_t take(std::int32_t num, std::int32_t den) { return counts_[slots_[find(num, den)].index]++; }
    const std::vector<std::size_t>& bucketEnds() const { return bucketEnds_; }

private:
    struct Slot {
        std::int32_t num = 0;
        std::int32_t den = 0;
        std::uint32_t index = 0;
        bool used = false;
    };
    static constexpr std::size_t TableSize = 2 * MaxPairs;

    std::size_t find(std::int32_t num, std::int32_t den) const {
        const std::uint64_t pair =
            std::uint64_t{static_cast<std::uint32_t>(num)} << 32 | static_cast<std::uint32_t>(den);
        std::size_t at = static_cast<std::size_t>((pair * 0x9E3779B97F4A7C15ull) >> 51);
        while (slots_[at].used && (slots_[at].num != num || slots_[at].den != den)) {
            at = (at + 1) % TableSize;
        }
        return at;
    }

    std::vector<Slot> slots_ = std::vector<Slot>(TableSize);
    std::vector<std::size_t> pairs_;   // table places of the pairs, in order of discovery
    std::vector<std::size_t> counts_;  // per pair: its records, then its next place
    std::vector<std::size_t> bucketEnds_;
};

// Within a bucket (or the whole name order): name prefix, then the higher
// number first; runs of equal prefixes are settled by full names after.
// (A lambda rather than a function, so that std::sort inlines it.)
constexpr auto prefixThenLaterFirst = [](const Entry& a, const Entry& b) {
    if (a.key.prefix() != b.key.prefix()) {
        return a.key.prefix() < b.key.prefix();
    }
    return a.id > b.id;
};

// Sorts entries that stand with the higher number first among equal prefixes
// by prefix, keeping that: a stable radix sort, a byte at a time from the
// last, through scratch; a byte that all entries share costs no pass.
void sortByPrefix(std::span<Entry> entries, std::vector<Entry>& scratch) {
    constexpr std::size_t Small = 256;
    if (entries.size() <= Small) {
        std::sort(entries.begin(), entries.end(), prefixThenLaterFirst);
        return;
    }
    std::size_t counts[8][256] = {};
    for (const Entry& entry : entries) {
        const std::uint64_t prefix = entry.key.prefix();
        for (unsigned byte = 0; byte < 8; ++byte) {
            ++counts[byte][(prefix >> (8 * byte)) & 0xFF];
        }
    }
    scratch.resize(std::max(scratch.size(), entries.size()));
    Entry* from = entries.data();
    Entry* to = scratch.data();
    for (unsigned byte = 0; byte < 8; ++byte) {
        std::size_t* count = counts[byte];
        if (std::find(count, count + 256, entries.size()) != count + 256) {
            continue;
        }
        std::size_t offset = 0;
        for (std::size_t value = 0; value < 256; ++value) {
            offset += std::exchange(count[value], offset);
        }
        for (const Entry* entry = from; entry != from + entries.size(); ++entry) {
            to[count[(entry->key.prefix() >> (8 * byte)) & 0xFF]++] = *entry;
        }
        std::swap(from, to);
    }
    if (from != entries.data()) {
        std::copy_n(from, entries.size(), entries.data());
    }
}

// Sorts each run of entries whose inline keys tie by their full names,
// keeping the higher number first among equal names.
template <typename InlineLess>
void settleEqualPrefixes(const RecordKeys& records, std::span<Entry> entries, InlineLess inlineLess) {
    for (auto run = entries.begin(); run != entries.end();) {
        auto runEnd = run + 1;
        while (runEnd != entries.end() && !inlineLess(*run, *runEnd)) {
            ++runEnd;
        }
        if (runEnd - run > 1) {
            std::sort(run, runEnd, [&records](const Entry& a, const Entry& b) {
                const Relation names = compareNames(records.nameOf(a.id), records.nameOf(b.id));
                return names != Relation::Same ? names == Relation::Below : a.id > b.id;
            });
        }
        run = runEnd;
    }
}

constexpr auto sameRatingThenPrefixBelow = [](const Entry& a, const Entry& b) {
    return a.key.prefix() < b.key.prefix();
};

constexpr auto ratingThenPrefixBelow = [](const Entry& a, const Entry& b) {
    const Relation primary = compareRatings(a.key.ratingNum, a.key.ratingDen, b.key.ratingNum, b.key.ratingDen);
    if (primary != Relation::Same) {
        return primary == Relation::Below;
    }
    return a.key.prefix() < b.key.prefix();
};

}  // namespace

void sortKeys(const RecordKeys& records, IndexOrder order, std::span<KeyOrder::Entry> entries) {
    const std::size_t size = entries.size();
    RatingBuckets buckets;
    if (order == IndexOrder::ByName || !buckets.count(records, size)) {
        for (std::size_t k = 0; k < size; ++k) {
            const auto id = static_cast<NodeId>(k);
            entries[k] = {records.keyOf(id), id};
        }
        if (order == IndexOrder::ByName) {
            std::sort(entries.begin(), entries.end(), prefixThenLaterFirst);
            settleEqualPrefixes(records, entries, sameRatingThenPrefixBelow);
            return;
        }
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return ratingThenPrefixBelow(a, b) || (!ratingThenPrefixBelow(b, a) && a.id > b.id);
        });
        settleEqualPrefixes(records, entries, ratingThenPrefixBelow);
        return;
    }
    buckets.layOut();
    // Filed from the highest number down, so that every bucket starts with
    // the higher number first among equal prefixes.
    for (std::size_t k = size; k-- > 0;) {
        const auto id = static_cast<NodeId>(k);
        const IndexKey key = records.keyOf(id);
        entries[buckets.take(key.ratingNum, key.ratingDen)] = {key, id};
    }
    std::vector<Entry> scratch;
    std::size_t begin = 0;
    for (const std::size_t end : buckets.bucketEnds()) {
        const std::span<Entry> bucket = entries.subspan(begin, end - begin);
        sortByPrefix(bucket, scratch);
        settleEqualPrefixes(records, bucket, sameRatingThenPrefixBelow);
        begin = end;
    }
}

}  // namespace recdb
