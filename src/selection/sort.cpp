#include "selection/sort.hpp"

#include "selection/matching.hpp"
#include "store/index_key.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace recdb {

namespace {

struct Entry {
    std::uint32_t rank;  // position of its class in the sorted order
    bool tied;           // another record compares 0 with this one
    RecordNode* record;
};

// Hoare's partition scheme on the entries, comparing ranks, which compare as
// the records do. Ranges are kept on an explicit stack instead of recursion;
// the parts are disjoint, so the order in which they are done changes nothing.
// A range holding fewer than two tied entries has no two equal entries: its
// sorted order is unique, so any sort reaches what the partitions would.
void partitionSort(std::vector<Entry>& entries) {
    const auto byRank = [](const Entry& a, const Entry& b) { return a.rank < b.rank; };
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> ranges{{0, static_cast<std::ptrdiff_t>(entries.size()) - 1}};
    while (!ranges.empty()) {
        const auto [first, last] = ranges.back();
        ranges.pop_back();
        const auto begin = entries.begin() + first;
        const auto end = entries.begin() + last + 1;
        if (std::count_if(begin, end, [](const Entry& e) { return e.tied; }) < 2) {
            std::sort(begin, end, byRank);
            continue;
        }
        const std::uint32_t pivot = entries[static_cast<std::size_t>(first)].rank;
        std::ptrdiff_t i = first - 1;
        std::ptrdiff_t j = last + 1;
        for (;;) {
            do {
                --j;
            } while (entries[static_cast<std::size_t>(j)].rank > pivot);
            do {
                ++i;
            } while (entries[static_cast<std::size_t>(i)].rank < pivot);
            if (i >= j) {
                break;
            }
            std::swap(entries[static_cast<std::size_t>(i)], entries[static_cast<std::size_t>(j)]);
        }
        if (last - j >= 2) {
            ranges.emplace_back(j + 1, last);
        }
        if (j - first + 1 >= 2) {
            ranges.emplace_back(first, j);
        }
    }
}

}  // namespace

namespace {

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

RecordComparison comparisonOf(RecordOrder order) {
    switch (order) {
    case RecordOrder::ByName:
        return compareByName;
    case RecordOrder::ByRating:
        return compareByRating;
    case RecordOrder::ByGroup:
        break;
    }
    return compareByGroup;
}

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

    std::vector<Entry> entries(n);
    bool anyTie = false;
    for (std::size_t k = 0; k < n; ++k) {
        Entry& entry = entries[sorted[k].position];
        entry.record = sorted[k].record;
        entry.rank = static_cast<std::uint32_t>(k);
        if (k > 0 && compareItems(order, sorted[k - 1], sorted[k]) == 0) {
            Entry& previous = entries[sorted[k - 1].position];
            entry.rank = previous.rank;
            entry.tied = previous.tied = true;
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
    partitionSort(entries);
    for (std::size_t k = 0; k < n; ++k) {
        nodes[k]->record = entries[k].record;
    }
    return 0;
}

}  // namespace recdb
