#include "store/group_index.hpp"

#include <algorithm>

namespace recdb {

std::size_t GroupIndex::cacheSlotOf(std::int32_t group) {
    return (static_cast<std::uint32_t>(group) * 0x9E3779B1u) >> 20;
}

IdList* GroupIndex::cached(std::int32_t group) const {
    const Cached& entry = cache_[cacheSlotOf(group)];
    return entry.list != nullptr && entry.group == group ? entry.list : nullptr;
}

// Map entries stay where they are until erased, so the cache may point at
// them.
IdList& GroupIndex::remember(std::int32_t group, IdList& list) {
    cache_[cacheSlotOf(group)] = {group, &list};
    return list;
}

void GroupIndex::prepareAdd(std::int32_t group) {
    if (cached(group) == nullptr) {
        groups_.try_emplace(group);
    }
}

IdList& GroupIndex::listOf(std::int32_t group) {
    IdList* list = cached(group);
    return list != nullptr ? *list : remember(group, groups_.find(group)->second);
}

void GroupIndex::add(RecordId id) { listOf(records_.group(id)).linkLast(id, linksOf()); }

void GroupIndex::addMaking(RecordId id) {
    const std::int32_t group = records_.group(id);
    IdList* list = cached(group);
    (list != nullptr ? *list : remember(group, groups_[group])).linkLast(id, linksOf());
}

void GroupIndex::remove(RecordId id) {
    const std::int32_t group = records_.group(id);
    IdList& list = listOf(group);
    list.unlink(id, linksOf());
    if (list.size == 0) {
        cache_[cacheSlotOf(group)] = {};
        groups_.erase(group);
    }
}

void GroupIndex::clear() {
    groups_.clear();
    std::fill(cache_.begin(), cache_.end(), Cached{});
}

std::size_t GroupIndex::sizeOf(std::int32_t group) const {
    const auto entry = groups_.find(group);
    return entry == groups_.end() ? 0 : entry->second.size;
}

}  // namespace recdb
