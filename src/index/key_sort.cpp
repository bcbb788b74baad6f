#include "index/key_sort.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace recdb {

namespace {

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
            const IndexKey key = records.ratingOf(static_cast<NodeId>(k));
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

    // One bucket for all records, as the name order has.
    void single(std::size_t size) {
        counts_.assign(1, 0);
        bucketEnds_.assign(1, size);
    }

    std::size_t take(IndexOrder order, std::int32_t num, std::int32_t den) {
        return counts_[order == IndexOrder::ByName ? 0 : slots_[find(num, den)].index]++;
    }
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

// A record to sort: its name prefix inline, in 12 bytes.
struct Item {
    std::uint32_t prefixHigh;
    std::uint32_t prefixLow;
    NodeId id;

    std::uint64_t prefix() const { return std::uint64_t{prefixHigh} << 32 | prefixLow; }
};

// A record to sort by rating and prefix.
struct RatedItem {
    IndexKey key;
    NodeId id;

    std::uint64_t prefix() const { return key.prefix(); }
};

// Prefix, then the higher number first; runs of equal prefixes are settled
// by full names after. (A lambda rather than a function, so that std::sort
// inlines it.)
constexpr auto prefixThenLaterFirst = [](const auto& a, const auto& b) {
    if (a.prefix() != b.prefix()) {
        return a.prefix() < b.prefix();
    }
    return a.id > b.id;
};

// Sorts items that stand with the higher number first among equal prefixes
// by prefix, keeping that: a stable radix sort, 11 bits at a time from the
// last (six passes over the 64 bits), through scratch; a digit that all
// items share costs no pass.
void sortByPrefix(std::span<Item> items, std::vector<Item>& scratch) {
    constexpr std::size_t Small = 256;
    if (items.size() <= Small) {
        std::sort(items.begin(), items.end(), prefixThenLaterFirst);
        return;
    }
    constexpr unsigned DigitBits = 11;
    constexpr unsigned Digits = (64 + DigitBits - 1) / DigitBits;
    constexpr std::size_t Values = std::size_t{1} << DigitBits;
    const auto digitOf = [](std::uint64_t prefix, unsigned digit) {
        return static_cast<std::size_t>((prefix >> (DigitBits * digit)) & (Values - 1));
    };
    std::vector<std::size_t> counts(Digits * Values);
    for (const Item& item : items) {
        const std::uint64_t prefix = item.prefix();
        for (unsigned digit = 0; digit < Digits; ++digit) {
            ++counts[digit * Values + digitOf(prefix, digit)];
        }
    }
    scratch.resize(std::max(scratch.size(), items.size()));
    Item* from = items.data();
    Item* to = scratch.data();
    for (unsigned digit = 0; digit < Digits; ++digit) {
        std::size_t* count = counts.data() + digit * Values;
        if (std::find(count, count + Values, items.size()) != count + Values) {
            continue;
        }
        std::size_t offset = 0;
        for (std::size_t value = 0; value < Values; ++value) {
            offset += std::exchange(count[value], offset);
        }
        for (const Item* item = from; item != from + items.size(); ++item) {
            to[count[digitOf(item->prefix(), digit)]++] = *item;
        }
        std::swap(from, to);
    }
    if (from != items.data()) {
        std::copy_n(from, items.size(), items.data());
    }
}

// Sorts each run of items whose inline keys tie by their full names,
// keeping the higher number first among equal names.
template <typename SortItem, typename InlineLess>
void settleEqualPrefixes(const RecordKeys& records, std::span<SortItem> items, InlineLess inlineLess) {
    for (auto run = items.begin(); run != items.end();) {
        auto runEnd = run + 1;
        while (runEnd != items.end() && !inlineLess(*run, *runEnd)) {
            ++runEnd;
        }
        if (runEnd - run > 1) {
            std::sort(run, runEnd, [&records](const SortItem& a, const SortItem& b) {
                const Relation names = compareNames(records.nameOf(a.id), records.nameOf(b.id));
                return names != Relation::Same ? names == Relation::Below : a.id > b.id;
            });
        }
        run = runEnd;
    }
}

constexpr auto prefixBelow = [](const auto& a, const auto& b) { return a.prefix() < b.prefix(); };

constexpr auto ratingThenPrefixBelow = [](const RatedItem& a, const RatedItem& b) {
    const Relation primary = compareRatings(a.key.ratingNum, a.key.ratingDen, b.key.ratingNum, b.key.ratingDen);
    if (primary != Relation::Same) {
        return primary == Relation::Below;
    }
    return a.key.prefix() < b.key.prefix();
};

template <typename SortItem>
void writeIds(std::span<const SortItem> items, std::span<NodeId> sorted) {
    for (std::size_t k = 0; k < items.size(); ++k) {
        sorted[k] = items[k].id;
    }
}

// The rating order with too many distinct ratings for buckets.
void sortByRatingAndName(const RecordKeys& records, std::span<NodeId> sorted) {
    std::vector<RatedItem> items(sorted.size());
    for (std::size_t k = 0; k < items.size(); ++k) {
        const auto id = static_cast<NodeId>(k);
        items[k] = {records.keyOf(id), id};
    }
    std::sort(items.begin(), items.end(), [](const RatedItem& a, const RatedItem& b) {
        return ratingThenPrefixBelow(a, b) || (!ratingThenPrefixBelow(b, a) && a.id > b.id);
    });
    settleEqualPrefixes(records, std::span<RatedItem>(items), ratingThenPrefixBelow);
    writeIds(std::span<const RatedItem>(items), sorted);
}

}  // namespace

void sortKeys(const RecordKeys& records, IndexOrder order, std::span<NodeId> sorted) {
    const std::size_t size = sorted.size();
    RatingBuckets buckets;
    if (order == IndexOrder::ByRating && !buckets.count(records, size)) {
        sortByRatingAndName(records, sorted);
        return;
    }
    // The name order is a single bucket.
    if (order == IndexOrder::ByName) {
        buckets.single(size);
    } else {
        buckets.layOut();
    }
    // Filed from the highest number down, so that every bucket starts with
    // the higher number first among equal prefixes.
    std::vector<Item> items(size);
    for (std::size_t k = size; k-- > 0;) {
        const auto id = static_cast<NodeId>(k);
        const IndexKey key = records.keyOf(id);
        items[buckets.take(order, key.ratingNum, key.ratingDen)] = {key.prefixHigh, key.prefixLow, id};
    }
    std::vector<Item> scratch;
    std::size_t begin = 0;
    for (const std::size_t end : buckets.bucketEnds()) {
        const std::span<Item> bucket = std::span<Item>(items).subspan(begin, end - begin);
        sortByPrefix(bucket, scratch);
        settleEqualPrefixes(records, bucket, prefixBelow);
        begin = end;
    }
    writeIds(std::span<const Item>(items), sorted);
}

}  // namespace recdb
