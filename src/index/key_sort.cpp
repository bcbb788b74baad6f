#include "index/key_sort.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "order/rating_pairs.hpp"

namespace recdb {

namespace {

// The records split by rating: one bucket per rating (pairs of equal
// fractions share one), laid out in rating order.
class RatingBuckets {
public:
    // Counts the records of each rating pair; false when there are too many
    // pairs for buckets to be worth it.
    bool count(const RecordKeys& records, std::size_t size) {
        for (std::size_t k = 0; k < size; ++k) {
            const IndexKey key = records.ratingOf(static_cast<RecordId>(k));
            const std::size_t number = pairs_.note(key.ratingNum, key.ratingDen);
            if (number == RatingPairs::Full) {
                return false;
            }
            counts_.resize(std::max(counts_.size(), number + 1));
            ++counts_[number];
        }
        return true;
    }

    // Lays out one bucket per rating: take(num, den) then gives where the
    // next record of that pair goes. Pairs of one rating share a bucket,
    // each taking the next stretch of it; sorting the bucket then orders all
    // its records by name.
    void layOut() {
        const std::vector<RatingPairs::Pair>& pairs = pairs_.pairs();
        std::vector<std::size_t> byRating(pairs.size());
        for (std::size_t k = 0; k < byRating.size(); ++k) {
            byRating[k] = k;
        }
        const auto compare = [&pairs](std::size_t a, std::size_t b) {
            return compareRatings(pairs[a].num, pairs[a].den, pairs[b].num, pairs[b].den);
        };
        std::sort(byRating.begin(), byRating.end(),
                  [&compare](std::size_t a, std::size_t b) { return compare(a, b) == Relation::Below; });
        std::vector<std::size_t> next(pairs.size());
        std::size_t offset = 0;
        for (std::size_t k = 0; k < byRating.size(); ++k) {
            if (k > 0 && compare(byRating[k - 1], byRating[k]) != Relation::Same) {
                bucketEnds_.push_back(offset);
            }
            next[byRating[k]] = offset;
            offset += counts_[byRating[k]];
        }
        bucketEnds_.push_back(offset);
        counts_ = std::move(next);
    }

    // One bucket for all records, as the name order has.
    void single(std::size_t size) {
        counts_.assign(1, 0);
        bucketEnds_.assign(1, size);
    }

    std::size_t take(IndexOrder order, std::int32_t num, std::int32_t den) {
        return counts_[order == IndexOrder::ByName ? 0 : pairs_.numberOf(num, den)]++;
    }
    const std::vector<std::size_t>& bucketEnds() const { return bucketEnds_; }

private:
    RatingPairs pairs_;
    std::vector<std::size_t> counts_;  // per pair: its records, then its next place
    std::vector<std::size_t> bucketEnds_;
};

// A record to sort: its name prefix inline, in 12 bytes.
struct Item {
    std::uint32_t prefixHigh;
    std::uint32_t prefixLow;
    RecordId id;

    std::uint64_t prefix() const { return std::uint64_t{prefixHigh} << 32 | prefixLow; }
};

// A record to sort by rating and prefix.
struct RatedItem {
    IndexKey key;
    RecordId id;

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
void writeIds(std::span<const SortItem> items, std::span<RecordId> sorted) {
    for (std::size_t k = 0; k < items.size(); ++k) {
        sorted[k] = items[k].id;
    }
}

// The rating order with too many distinct ratings for buckets.
void sortByRatingAndName(const RecordKeys& records, std::span<RecordId> sorted) {
    std::vector<RatedItem> items(sorted.size());
    for (std::size_t k = 0; k < items.size(); ++k) {
        const auto id = static_cast<RecordId>(k);
        items[k] = {records.keyOf(id), id};
    }
    std::sort(items.begin(), items.end(), [](const RatedItem& a, const RatedItem& b) {
        return ratingThenPrefixBelow(a, b) || (!ratingThenPrefixBelow(b, a) && a.id > b.id);
    });
    settleEqualPrefixes(records, std::span<RatedItem>(items), ratingThenPrefixBelow);
    writeIds(std::span<const RatedItem>(items), sorted);
}

}  // namespace

void sortKeys(const RecordKeys& records, IndexOrder order, std::span<RecordId> sorted) {
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
        const auto id = static_cast<RecordId>(k);
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
