#include "store/group_index.hpp"

namespace recdb {

void GroupIndex::prepareAdd(std::int32_t group) { groups_.try_emplace(group); }

void GroupIndex::add(NodeId id) { groups_.find(records_.group(id))->second.linkLast(id, linksOf()); }

void GroupIndex::addMaking(NodeId id) { groups_[records_.group(id)].linkLast(id, linksOf()); }

void GroupIndex::remove(NodeId id) {
    const auto entry = groups_.find(records_.group(id));
    entry->second.unlink(id, linksOf());
    if (entry->second.size == 0) {
        groups_.erase(entry);
    }
}

std::size_t GroupIndex::sizeOf(std::int32_t group) const {
    const auto entry = groups_.find(group);
    return entry == groups_.end() ? 0 : entry->second.size;
}

}  // namespace recdb
