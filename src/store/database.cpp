#include "store/database.hpp"

namespace recdb {

void Database::insert(const Record& record) { file(record, nullptr); }

void Database::file(const Record& record, const OrderedIndex::Place* namePlace) {
    RecordNode* node = records_.append(record);
    nameIndex_.insert(node, namePlace);
    ratingIndex_.insert(node);
    GroupEntry* entry = groups_.find(record.group);
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
    removeNode(node);
    return 0;
}

bool Database::replace(const Record& record) {
    OrderedIndex::Place place{};
    if (RecordNode* existing = nameIndex_.find(record, &place)) {
        removeNode(existing);
        insert(record);
        return true;
    }
    file(record, &place);
    return false;
}

void Database::removeNode(RecordNode* node) {
    nameIndex_.remove(node);
    ratingIndex_.remove(node);
    GroupEntry* entry = node->groupEntry;
    entry->records.erase(node->groupRef);
    if (entry->records.isEmpty()) {
        groups_.remove(entry);
    }
    records_.removeNode(node);
}

void Database::clear() {
    groups_.clear();
    nameIndex_.clear();
    ratingIndex_.clear();
    records_.clear();
}

}  // namespace recdb
