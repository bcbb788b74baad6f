#include "store/database.hpp"

#include <new>

namespace recdb {

Database::Database() : groups_(records_), names_(records_), ratings_(IndexOrder::ByRating, records_) {}

bool Database::replace(const RecordView& record) {
    records_.prepare(record);
    names_.prepareInsert();
    ratings_.prepareInsert();
    groups_.prepareAdd(record.group);
    // Nothing below allocates. The record list and the group lists end the
    // same whether the old record leaves before or after the new one comes,
    // but the trees' shapes depend on the order: remove, then insert.
    const RecordId old = names_.find(record.name);
    const RecordId id = records_.add(record);
    groups_.add(id);
    if (old != NoRecord) {
        names_.remove(old);
        ratings_.remove(old);
    }
    names_.insert(id);
    ratings_.insert(id);
    if (old != NoRecord) {
        groups_.remove(old);
        records_.erase(old);
    }
    return old != NoRecord;
}

bool Database::remove(std::string_view name) {
    const RecordId old = names_.find(name);
    if (old == NoRecord) {
        return false;
    }
    names_.remove(old);
    ratings_.remove(old);
    groups_.remove(old);
    records_.erase(old);
    return true;
}

void Database::clear() {
    groups_.clear();
    names_.clear();
    ratings_.clear();
    records_.clear();
}

void Database::startLoad(std::size_t atMost) {
    clear();
    try {
        records_.reserve(atMost);
    } catch (const std::bad_alloc&) {
        // Only a bound, perhaps far too high: the store grows as it goes.
    }
}

void Database::append(const RecordView& record) {
    records_.prepare(record);
    groups_.addMaking(records_.add(record));
}

void Database::finishLoad(io::ProgressReporter& progress) {
    const std::size_t count = records_.size();
    {
        io::ProgressMeter meter(progress, "indexing names", count);
        names_.insertAll(count, [&meter](std::size_t filed) { meter.reach(filed); });
    }
    io::ProgressMeter meter(progress, "indexing ratings", count);
    ratings_.insertAll(count, [&meter](std::size_t filed) { meter.reach(filed); });
}

void Database::collectRating(std::int32_t ratingNum, std::int32_t ratingDen, std::vector<RecordId>& out) const {
    ratings_.collectEqualPrimary(OrderedIndex::probeOf({}, ratingNum, ratingDen), out);
}

bool Database::invariantsHold(std::string& why) const {
    if (!ratings_.invariantsHold(why)) {
        why = "rating index: " + why;
        return false;
    }
    if (const OrderedIndex* tree = names_.tree(); tree != nullptr && !tree->invariantsHold(why)) {
        why = "name index: " + why;
        return false;
    }
    if (ratings_.size() != records_.size()) {
        why = "the rating index and the record list hold different numbers of records";
        return false;
    }
    std::size_t grouped = 0;
    groups_.forEachInRange(INT32_MIN, INT32_MAX, [&grouped](RecordId) { ++grouped; });
    if (grouped != records_.size()) {
        why = "the group lists and the record list hold different numbers of records";
        return false;
    }
    for (RecordId id = records_.first(); id != NoRecord; id = records_.next(id)) {
        if (names_.find(records_.name(id)) == NoRecord) {
            why = "a record's name is not found: " + std::string(records_.name(id));
            return false;
        }
    }
    return true;
}

}  // namespace recdb
