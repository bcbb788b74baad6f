#include "store/database.hpp"

namespace recdb {

void Database::insert(const Record& record) {
    RecordNode* node = records_.append(record);
    nameIndex_.insert(node);
    ratingIndex_.insert(node);
    GroupEntry* entry = groups_.find(groupKeyText(record.group));
    if (entry == nullptr) {
        entry = groups_.add(record.group);
    }
    node->groupEntry = entry;
    node->groupRef = entry->records.append(node);
}

int Database::remove(std::string_view name) {
    Record key;
    key.setName(name);
    RecordNode* node = nameIndex_.find(key);
    if (node == nullptr) {
        return 1;
    }
    nameIndex_.remove(node);
    ratingIndex_.remove(node);
    GroupEntry* entry = node->groupEntry;
    entry->records.erase(node->groupRef);
    if (entry->records.isEmpty()) {
        groups_.remove(entry);
    }
    records_.removeNode(node);
    return 0;
}

void Database::clear() {
    groups_.clear();
    nameIndex_.clear();
    ratingIndex_.clear();
    records_.clear();
}

}  // namespace recdb
