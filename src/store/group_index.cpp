#include "store/group_index.hpp"

#include <algorithm>

namespace recdb {

void GroupIndex::prepareAdd(std::int32_t group) {
    const Cached& cached = cache_[cacheSlotOf(group)];
    if (cached.list == nullptr || cached.group != group) {
        groups_.try_emplace(group);
    }
}

std::size_t GroupIndex::cacheSlotOf(std::int32_t group) {
    return (static_cast<std::uint32_t>(group) * 0x9E3779B1u) >> 20;
}

IdList& GroupIndex::listOf(std::int32_t group) {
    Cached& cached = cache_[cacheSlotOf(group)];
    if (cached.list == nullptr || cached.group != group) {
        // Map entries stay where they are until erased.
        cached = {group, &groups_.find(group)->second};
    }
    return *cached.list;
}

void GroupIndex::add(NodeId id) { listOf(records_.group(id)).linkLast(id, linksOf()); }

void GroupIndex::addMaking(NodeId id) {
    const std::int32_t group = records_.group(id);
    Cached& cached = cache_[cacheSlotOf(group)];
    if (cached.list == nullptr || cached.group != group) {
        cached = {group, &groups_[group]};
    }
    cached.list->linkLast(id, linksOf());
}

void GroupIndex::remove(NodeId id) {
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
