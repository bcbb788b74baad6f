#include "selection/sort.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "selection/rank_tree.hpp"
#include "store/index_key.hpp"

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
void partitionSort(std::vector<std::uint32_t>& ranks, std::vector<RecordNode*>& records) {
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
    RecordNode* record;
};

int compareItems(RecordOrder order, const SortItem& a, const SortItem& b) {
    const Record& recordA = a.record->record;
    const Record& recordB = b.record->record;
    switch (order) {
    case RecordOrder::ByName:
        return compareKeyedByName(a.key, recordA, b.key, recordB);
    case RecordOrder::ByRating:
        return compareKeyedByRating(a.key, recordA, b.key, recordB);
    case RecordOrder::ByGroup:
        break;
    }
    if (a.group != b.group) {
        return a.group > b.group ? 1 : -1;
    }
    return 2 * compareKeyedByName(a.key, recordA, b.key, recordB);
}

}  // namespace

int sort(RecordRefList& list, RecordOrder order) {
    if (list.isEmpty()) {
        return -1;
    }
    std::vector<RefNode*> nodes;
    std::vector<SortItem> sorted;
    nodes.reserve(list.size());
    sorted.reserve(list.size());
    for (RefNode& node : list) {
        sorted.push_back({indexKeyOf(node.record->record), node.record->record.group,
                          static_cast<std::uint32_t>(nodes.size()), node.record});
        nodes.push_back(&node);
    }
    const std::size_t n = nodes.size();
    const auto less = [order](const SortItem& a, const SortItem& b) { return compareItems(order, a, b) < 0; };
    std::sort(sorted.begin(), sorted.end(), less);

    std::vector<std::uint32_t> ranks(n);
    std::vector<RecordNode*> records(n);
    bool anyTie = false;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t position = sorted[k].position;
        ranks[position] = static_cast<std::uint32_t>(k);
        records[position] = sorted[k].record;
        if (k > 0 && compareItems(order, sorted[k - 1], sorted[k]) == 0) {
            ranks[position] = ranks[sorted[k - 1].position];
            anyTie = true;
        }
    }

    if (!anyTie) {
        // Without equal records the ascending order is unique.
        for (std::size_t k = 0; k < n; ++k) {
            nodes[k]->record = sorted[k].record;
        }
        return 0;
    }
    partitionSort(ranks, records);
    for (std::size_t k = 0; k < n; ++k) {
        nodes[k]->record = records[k];
    }
    return 0;
}

}  // namespace recdb
