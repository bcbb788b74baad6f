#include "store/group_index.hpp"

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

GroupIndex::~GroupIndex() { clear(); }

GroupEntry* GroupIndex::find(std::string_view keyText) const {
    for (GroupEntry& entry : buckets_[groupHash(keyText)]) {
        if (entry.keyText == keyText) {
            return &entry;
        }
    }
    return nullptr;
}

GroupEntry* GroupIndex::add(std::int32_t group) {
    auto* entry = new GroupEntry;
    entry->group = group;
    entry->keyText = groupKeyText(group);
    try {
        byGroup_.emplace(group, entry);
    } catch (...) {
        delete entry;
        throw;
    }
    buckets_[groupHash(entry->keyText)].linkLast(entry);
    return entry;
}

void GroupIndex::remove(GroupEntry* entry) {
    buckets_[groupHash(entry->keyText)].unlink(entry);
    byGroup_.erase(entry->group);
    delete entry;
}

void GroupIndex::clear() {
    for (auto& bucket : buckets_) {
        while (GroupEntry* entry = bucket.first()) {
            bucket.unlink(entry);
            delete entry;
        }
    }
    byGroup_.clear();
}

}  // namespace recdb
