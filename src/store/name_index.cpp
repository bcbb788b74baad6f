#include "store/name_index.hpp"

namespace recdb {

void NameIndex::prepareInsert() {
    if (tree_) {
        tree_->prepareInsert();
    } else {
        table_.prepareInsert();
    }
}

void NameIndex::insert(RecordId id) {
    if (tree_) {
        tree_->insert(id);
    } else {
        table_.insert(id);
    }
}

void NameIndex::remove(RecordId id) {
    if (tree_) {
        tree_->remove(id);
    } else {
        table_.remove(id);
    }
}

RecordId NameIndex::find(std::string_view name) const {
    if (tree_) {
        return tree_->find(OrderedIndex::probeOf(name, 0, 0));
    }
    return table_.find(name);
}

void NameIndex::insertAll(std::size_t count, const BulkProgress& progress) {
    if (table_.insertAll(count, progress)) {
        return;
    }
    tree_ = std::make_unique<OrderedIndex>(IndexOrder::ByName, records_);
    tree_->insertAll(count, progress);
}

void NameIndex::clear() {
    table_.clear();
    tree_.reset();
}

}  // namespace recdb
