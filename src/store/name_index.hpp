#pragma once

#include <memory>
#include <string_view>

#include "index/ordered_index.hpp"
#include "store/name_table.hpp"

namespace recdb {

// The records by name. Which of several records of one name a lookup meets
// first is decided by the shape of the name tree, the ordered index by name.
// Names are shared only after a load of a file that repeats names, and a load
// starts from an empty database, so while names are all different that shape
// cannot be seen: the index is then a hash table. A load whose file repeats a
// name builds the exact name tree instead, and keeps it until the database is
// emptied.
class NameIndex {
public:
    explicit NameIndex(const RecordStore& records) : records_(records), table_(records) {}

    void prepareInsert();
    // Files a record; with the hash table, its name must be new.
    void insert(RecordId id);
    void remove(RecordId id);
    // The record of that name, the one the name tree meets first.
    RecordId find(std::string_view name) const;
    // Files the records numbered 0..count-1, in that order, into an empty
    // index, telling progress how many are done now and then.
    void insertAll(std::size_t count, const BulkProgress& progress = {});
    void clear();

    // Whether the exact name tree is in use, and the tree when it is.
    bool isTree() const { return tree_ != nullptr; }
    const OrderedIndex* tree() const { return tree_.get(); }

private:
    const RecordStore& records_;
    NameTable table_;
    std::unique_ptr<OrderedIndex> tree_;
};

}  // namespace recdb
