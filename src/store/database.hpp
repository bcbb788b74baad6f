#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "index/ordered_index.hpp"
#include "io/progress.hpp"
#include "store/group_index.hpp"
#include "store/name_index.hpp"
#include "store/record_store.hpp"

namespace recdb {

// All records with their three indexes, kept in step: every record of the
// store is in the name index, the rating index and its group's list, and no
// index refers to anything else.
//
// Every change either happens whole or not at all: what a change must
// allocate is allocated before anything is touched, so running out of memory
// (std::bad_alloc) leaves the database as it was.
class Database {
public:
    Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Files a copy of the record in place of the record of its name, if any
    // (the one the name index meets first). Returns whether one was replaced.
    bool replace(const RecordView& record);
    // Removes the record of that name that the name index meets first;
    // false when no record has the name.
    bool remove(std::string_view name);
    void clear();

    // Loading: startLoad empties the database and reserves room for at most
    // atMost records; append files each record in turn, without looking for its
    // name, so names may repeat; finishLoad builds the name and rating
    // indexes as inserting the records one by one would have built them,
    // telling progress of each index as a phase. A failure on the way leaves
    // a database that only clear may touch.
    void startLoad(std::size_t atMost);
    void append(const RecordView& record);
    void finishLoad(io::ProgressReporter& progress = io::noProgress());

    RecordId findName(std::string_view name) const { return names_.find(name); }
    // The records of one rating in the rating tree's pre-order.
    void collectRating(std::int32_t ratingNum, std::int32_t ratingDen, std::vector<RecordId>& out) const;

    const RecordStore& records() const { return records_; }
    const GroupIndex& groups() const { return groups_; }
    const NameIndex& names() const { return names_; }
    const OrderedIndex& ratings() const { return ratings_; }

    bool invariantsHold(std::string& why) const;

private:
    RecordStore records_;
    GroupIndex groups_;
    NameIndex names_;
    OrderedIndex ratings_;
};

}  // namespace recdb
