#include "store/record_list.hpp"

namespace recdb {

RecordList::~RecordList() { clear(); }

RecordNode* RecordList::append(const Record& record) {
    auto* node = new RecordNode;
    node->record = record;
    ring_.linkLast(node);
    return node;
}

void RecordList::removeNode(RecordNode* node) {
    ring_.unlink(node);
    delete node;
}

void RecordList::clear() {
    while (RecordNode* node = ring_.first()) {
        removeNode(node);
    }
}

}  // namespace recdb
