#pragma once

#include <string_view>

#include "store/group_index.hpp"
#include "store/ordered_index.hpp"
#include "store/record_list.hpp"

namespace recdb {

// All records with their three indexes, kept in step: every record of the
// list is referenced once by the name index, once by the rating index and
// once by its group's entry, and no index refers to anything else.
class Database {
public:
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Files a copy of the record in the list and all indexes. A name that is
    // present already is not refused: the record is added beside it.
    void insert(const Record& record);
    // Removes the record of that name that the name index meets first.
    // Returns 0 when one was removed, 1 when no record has the name.
    int remove(std::string_view name);
    // remove of the record's name followed by insert of the record, with
    // one descent of the name index when no record has the name. Returns
    // whether a record was removed.
    bool replace(const Record& record);
    void clear();

    const RecordList& records() const { return records_; }
    const GroupIndex& groups() const { return groups_; }
    const OrderedIndex& nameIndex() const { return nameIndex_; }
    const OrderedIndex& ratingIndex() const { return ratingIndex_; }

private:
    void file(const Record& record, const OrderedIndex::Place* namePlace);
    void removeNode(RecordNode* node);

    RecordList records_;
    GroupIndex groups_;
    OrderedIndex nameIndex_{compareKeyedByName, &RecordNode::nameNode};
    OrderedIndex ratingIndex_{compareKeyedByRating, &RecordNode::ratingNode};
};

}  // namespace recdb
