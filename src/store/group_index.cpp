#include "store/group_index.hpp"

#include <algorithm>
#include <charconv>

namespace recdb {

std::string groupKeyText(std::int32_t group) {
    if (group == 0) {
        return {};
    }
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, group);
    return {digits, result.ptr};
}

std::uint8_t groupHash(std::string_view keyText) {
    std::uint32_t h = 0;
    for (const char byte : keyText) {
        h = h * 31u + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(byte)));
    }
    return static_cast<std::uint8_t>(h & 0xFFu);
}

const GroupEntry* GroupIndex::find(std::int32_t group) const {
    const Bucket& bucket = buckets_[bucketOf(group)];
    const auto it = bucket.find(group);
    return it == bucket.end() ? nullptr : &it->second;
}

GroupEntry* GroupIndex::add(std::int32_t group) {
    GroupEntry& entry = buckets_[bucketOf(group)].try_emplace(group).first->second;
    entry.group = group;
    return &entry;
}

void GroupIndex::remove(GroupEntry* entry) { buckets_[bucketOf(entry->group)].erase(entry->group); }

void GroupIndex::clear() {
    for (Bucket& bucket : buckets_) {
        bucket.clear();
    }
}

std::vector<const GroupEntry*> GroupIndex::entriesInRange(std::int32_t low, std::int32_t high) const {
    std::vector<const GroupEntry*> entries;
    if (low > high) {
        return entries;
    }
    // Each bucket is ordered by group: merge the buckets' runs in the range.
    struct Cursor {
        Bucket::const_iterator next;
        Bucket::const_iterator end;
    };
    const auto later = [](const Cursor& a, const Cursor& b) { return a.next->first > b.next->first; };
    std::vector<Cursor> heap;
    for (const Bucket& bucket : buckets_) {
        const auto first = bucket.lower_bound(low);
        if (first != bucket.end() && first->first <= high) {
            heap.push_back({first, bucket.end()});
        }
    }
    std::make_heap(heap.begin(), heap.end(), later);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        Cursor& cursor = heap.back();
        entries.push_back(&cursor.next->second);
        if (++cursor.next != cursor.end && cursor.next->first <= high) {
            std::push_heap(heap.begin(), heap.end(), later);
        } else {
            heap.pop_back();
        }
    }
    return entries;
}

}  // namespace recdb
