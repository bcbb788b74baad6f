#include "store/record_ref_list.hpp"

namespace recdb {

RecordRefList::~RecordRefList() { clear(); }

RefNode* RecordRefList::append(RecordNode* record) {
    auto* node = new RefNode;
    node->record = record;
    ring_.linkLast(node);
    return node;
}

void RecordRefList::erase(RefNode* node) {
    ring_.unlink(node);
    delete node;
}

void RecordRefList::clear() {
    while (RefNode* node = ring_.first()) {
        erase(node);
    }
}

}  // namespace recdb
