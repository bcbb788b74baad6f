#include "selection/sort.hpp"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "index/index_key.hpp"
#include "selection/rank_tree.hpp"

namespace recdb {

namespace {

// Hoare's partition scheme on records given by their ranks (equal records
// share a rank, so ranks compare as the records do), with the first record of
// a range as pivot. Ranges are kept on a stack instead of recursion; the
// parts are disjoint, so the order in which they are done changes nothing.
// Each cursor move of the scheme ("step until the rank is at most / at least
// the pivot's") is one query of a rank tree, so a partition costs a logarithm
// per exchange instead of a pass over its range: ordered input, which makes
// every partition split off a single class, stays O(n log n).
void partitionSort(std::vector<std::uint32_t>& ranks, std::vector<NodeId>& records) {
    RankTree tree(ranks);
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
}

// A record to sort, with the summary of its key taken once, so that most
// comparisons are decided without reading the record.
struct SortItem {
    IndexKey key;
    std::int32_t group;
    std::uint32_t position;  // in the list before sorting
    NodeId id;
};

Relation compareItems(const RecordStore& records, RecordOrder order, const SortItem& a, const SortItem& b) {
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

void sortOrThrow(const RecordStore& records, std::vector<NodeId>& ids, RecordOrder order) {
    const std::size_t n = ids.size();
    std::vector<SortItem> sorted;
    sorted.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const NodeId id = ids[k];
        sorted.push_back({indexKeyOf(records.name(id), records.ratingNum(id), records.ratingDen(id)), records.group(id),
                          static_cast<std::uint32_t>(k), id});
    }
    // Without equal records the ascending order is unique, so any correct
    // sort reaches it; only ties need the partition steps themselves.
    const auto less = [&records, order](const SortItem& a, const SortItem& b) {
        return isBelow(compareItems(records, order, a, b));
    };
    std::sort(sorted.begin(), sorted.end(), less);

    std::vector<std::uint32_t> ranks(n);
    std::vector<NodeId> inPlace(n);
    bool anyTie = false;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t position = sorted[k].position;
        ranks[position] = static_cast<std::uint32_t>(k);
        inPlace[position] = sorted[k].id;
        if (k > 0 && compareItems(records, order, sorted[k - 1], sorted[k]) == Relation::Same) {
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
    partitionSort(ranks, inPlace);
    ids.swap(inPlace);
}

}  // namespace

bool sort(const RecordStore& records, std::vector<NodeId>& ids, RecordOrder order) {
    if (ids.size() < 2) {
        return true;
    }
    try {
        sortOrThrow(records, ids, order);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace recdb
