#include "selection/sort.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "order/index_key.hpp"
#include "order/rating_pairs.hpp"
#include "selection/min_max_tree.hpp"

namespace recdb {

namespace {

// Hoare's partition scheme on records given by their ranks (equal records
// share a rank, so ranks compare as the records do), with the first record of
// a range as pivot. Ranges are kept on a stack instead of recursion; the
// parts are disjoint, so the order in which they are done changes nothing.
// Each cursor move of the scheme ("step until the rank is at most / at least
// the pivot's") is one query of a min-max tree, so a partition costs a logarithm
// per exchange instead of a pass over its range: ordered input, which makes
// every partition split off a single class, stays O(n log n).
void partitionSort(std::vector<std::uint32_t>& ranks, std::vector<RecordId>& records, SortWork& work) {
    MinMaxTree tree(ranks);
    std::vector<std::pair<std::size_t, std::size_t>> ranges{{0, ranks.size() - 1}};
    while (!ranges.empty()) {
        const auto [first, last] = ranges.back();
        ranges.pop_back();
        const std::uint32_t pivot = ranks[first];
        std::size_t i = first;  // the next position the left cursor may stop at
        std::size_t j = last;   // the last position the right cursor may stop at
        std::size_t split = first;
        for (;;) {
            // The pivot's own record (or, after an exchange, the record the
            // left cursor passed over) stops the right cursor in the range.
            split = tree.lastAtMost(first, j, pivot);
            if (split < i) {
                break;
            }
            const std::size_t left = tree.firstAtLeast(i, last, pivot);
            if (left >= split) {
                break;
            }
            ++work.partitionSteps;
            std::swap(ranks[left], ranks[split]);
            std::swap(records[left], records[split]);
            tree.set(left, ranks[left]);
            tree.set(split, ranks[split]);
            i = left + 1;
            j = split - 1;
        }
        if (last - split >= 2) {
            ranges.emplace_back(split + 1, last);
        }
        if (split - first + 1 >= 2) {
            ranges.emplace_back(first, split);
        }
    }
    work.partitionSteps += tree.steps();
}

// A record to sort, with the summary of its key taken once, so that most
// comparisons are decided without reading the record.
struct SortItem {
    IndexKey key;
    std::int32_t group;
    std::uint32_t position;  // in the list before sorting
    RecordId id;
};

SortItem sortItemOf(const RecordStore& records, RecordId id, std::uint32_t position) {
    return {indexKeyOf(records.name(id), records.ratingNum(id), records.ratingDen(id)), records.group(id), position,
            id};
}

Relation compareItems(const RecordStore& records, RecordOrder order, const SortItem& a, const SortItem& b,
                      SortWork& work) {
    ++work.comparisons;
    const auto nameA = [&records, &a] { return records.name(a.id); };
    const auto nameB = [&records, &b] { return records.name(b.id); };
    switch (order) {
    case RecordOrder::ByName:
        return compareKeyed(IndexOrder::ByName, a.key, nameA, b.key, nameB);
    case RecordOrder::ByRating:
        return compareKeyed(IndexOrder::ByRating, a.key, nameA, b.key, nameB);
    case RecordOrder::ByGroup:
        break;
    }
    if (a.group != b.group) {
        return a.group < b.group ? Relation::Below : Relation::Above;
    }
    return asNameTie(compareKeyedNames(a.key, nameA, b.key, nameB));
}

// A rating as 32 bits that order as it does: the nearest float of the
// fraction (rounding is monotonic, so a smaller code means a smaller rating,
// while equal codes decide nothing); a second part of 0, below every other
// rating, gets 0.
std::uint32_t ratingCode(std::int64_t num, std::int64_t den) {
    if (den == 0) {
        return 0;
    }
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const auto value = static_cast<float>(static_cast<double>(num) / static_cast<double>(den));
    const auto bits = std::bit_cast<std::uint32_t>(value);
    // Negative floats order backwards as integers; 0.0f is +0 here.
    return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

// The primary field of the group or rating order as 32 bits that order as it
// does: the group with its sign bit flipped, or the rating's code.
std::uint32_t primaryCode(const RecordStore& records, RecordOrder order, RecordId id) {
    if (order == RecordOrder::ByGroup) {
        return static_cast<std::uint32_t>(records.group(id)) ^ 0x80000000u;
    }
    return ratingCode(records.ratingNum(id), records.ratingDen(id));
}

// A record to sort in 16 bytes: the order's primary field and the name's
// prefix, packed so that a smaller pair of words means a smaller record
// (when the primary codes differ, or are exact), and the record number in
// the last 4 bytes.
struct CompactItem {
    std::uint64_t high;
    std::uint64_t low;

    RecordId id() const { return static_cast<RecordId>(low); }
    std::uint32_t primary() const { return static_cast<std::uint32_t>(high >> 32); }
    // Whether the two differ in what the words decide.
    bool keyDiffers(const CompactItem& other) const { return high != other.high || (low >> 32) != (other.low >> 32); }
};

// The codes that stand for more than one rating: only those leave the order
// of their records to a full comparison. Past the pairs' table's room every
// code is taken to be so.
class SharedCodes {
public:
    void note(std::int32_t num, std::int32_t den) { full_ = full_ || pairs_.note(num, den) == RatingPairs::Full; }

    // Finds the shared codes, once every pair is noted.
    void finish() {
        struct Coded {
            std::uint32_t code;
            RatingPairs::Pair pair;
        };
        std::vector<Coded> coded;
        for (const RatingPairs::Pair& pair : pairs_.pairs()) {
            coded.push_back({ratingCode(pair.num, pair.den), pair});
        }
        std::sort(coded.begin(), coded.end(), [](const Coded& a, const Coded& b) { return a.code < b.code; });
        for (std::size_t k = 1; k < coded.size(); ++k) {
            const RatingPairs::Pair& a = coded[k - 1].pair;
            const RatingPairs::Pair& b = coded[k].pair;
            if (coded[k].code == coded[k - 1].code && compareRatings(a.num, a.den, b.num, b.den) != Relation::Same) {
                shared_.push_back(coded[k].code);
            }
        }
    }

    bool isShared(std::uint32_t code) const {
        return full_ || std::find(shared_.begin(), shared_.end(), code) != shared_.end();
    }

private:
    RatingPairs pairs_;
    bool full_ = false;
    std::vector<std::uint32_t> shared_;
};

// Sorts without ties in 16 bytes a record: the words decide most
// comparisons, and runs whose words do not decide are settled by the order's
// full comparison. When two records compare the same (names repeat), gives
// up with false, leaving ids as they were: only then does the order depend
// on the partition steps.
bool sortCompact(const RecordStore& records, std::vector<RecordId>& ids, RecordOrder order, SortWork& work) {
    std::vector<CompactItem> items(ids.size());
    SharedCodes codes;
    for (std::size_t k = 0; k < ids.size(); ++k) {
        const RecordId id = ids[k];
        const IndexKey key = indexKeyOf(records.name(id), 0, 0);
        if (order == RecordOrder::ByName) {
            items[k] = {key.prefix(), id};
            continue;
        }
        const std::uint32_t code = primaryCode(records, order, id);
        if (order == RecordOrder::ByRating) {
            codes.note(records.ratingNum(id), records.ratingDen(id));
        }
        items[k] = {std::uint64_t{code} << 32 | key.prefixHigh, std::uint64_t{key.prefixLow} << 32 | id};
    }
    codes.finish();
    std::sort(items.begin(), items.end(), [](const CompactItem& a, const CompactItem& b) {
        return a.high != b.high ? a.high < b.high : a.low < b.low;
    });
    // The order's full comparison, from the records' fields.
    const auto compare = [&records, order, &work](RecordId a, RecordId b) {
        return compareItems(records, order, sortItemOf(records, a, 0), sortItemOf(records, b, 0), work);
    };
    // Sorts a stretch by the full comparison; false if two records in it
    // compare the same.
    const auto settle = [&compare](auto begin, auto end) {
        std::sort(begin, end,
                  [&compare](const CompactItem& a, const CompactItem& b) { return isBelow(compare(a.id(), b.id())); });
        for (auto item = begin + 1; item < end; ++item) {
            if (compare((item - 1)->id(), item->id()) == Relation::Same) {
                return false;
            }
        }
        return true;
    };
    for (auto run = items.begin(); run != items.end();) {
        auto runEnd = run + 1;
        const bool wholeCode = order == RecordOrder::ByRating && codes.isShared(run->primary());
        while (runEnd != items.end() && (wholeCode ? runEnd->primary() == run->primary() : !run->keyDiffers(*runEnd))) {
            ++runEnd;
        }
        if (runEnd - run > 1 && !settle(run, runEnd)) {
            return false;
        }
        run = runEnd;
    }
    for (std::size_t k = 0; k < ids.size(); ++k) {
        ids[k] = items[k].id();
    }
    return true;
}

void sortWithTies(const RecordStore& records, std::vector<RecordId>& ids, RecordOrder order, SortWork& work) {
    const std::size_t n = ids.size();
    std::vector<SortItem> sorted;
    sorted.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const RecordId id = ids[k];
        sorted.push_back(sortItemOf(records, id, static_cast<std::uint32_t>(k)));
    }
    // Without equal records the ascending order is unique, so any correct
    // sort reaches it; only ties need the partition steps themselves.
    const auto less = [&records, order, &work](const SortItem& a, const SortItem& b) {
        return isBelow(compareItems(records, order, a, b, work));
    };
    std::sort(sorted.begin(), sorted.end(), less);

    std::vector<std::uint32_t> ranks(n);
    std::vector<RecordId> inPlace(n);
    bool anyTie = false;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t position = sorted[k].position;
        ranks[position] = static_cast<std::uint32_t>(k);
        inPlace[position] = sorted[k].id;
        if (k > 0 && compareItems(records, order, sorted[k - 1], sorted[k], work) == Relation::Same) {
            ranks[position] = ranks[sorted[k - 1].position];
            anyTie = true;
        }
    }
    if (!anyTie) {
        for (std::size_t k = 0; k < n; ++k) {
            ids[k] = sorted[k].id;
        }
        return;
    }
    partitionSort(ranks, inPlace, work);
    ids.swap(inPlace);
}

}  // namespace

bool sort(const RecordStore& records, std::vector<RecordId>& ids, RecordOrder order) {
    SortWork work;
    return sort(records, ids, order, work);
}

bool sort(const RecordStore& records, std::vector<RecordId>& ids, RecordOrder order, SortWork& work) {
    if (ids.size() < 2) {
        return true;
    }
    try {
        // Without records that compare the same the ascending order is
        // unique, so any correct sort reaches it: the compact one, where it
        // finds no such pair.
        if (!sortCompact(records, ids, order, work)) {
            sortWithTies(records, ids, order, work);
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace recdb
