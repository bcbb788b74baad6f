#include "selection/selection.hpp"

#include <new>

#include "order/relation.hpp"
#include "selection/matching.hpp"

namespace recdb {

bool isExactRating(const Criteria& criteria) {
    return criteria.ratingLow && criteria.ratingHigh &&
           compareRatings(criteria.ratingLow->num, criteria.ratingLow->den, criteria.ratingHigh->num,
                          criteria.ratingHigh->den) == Relation::Same;
}

namespace {

void collectMatches(const Database& database, const Criteria& criteria, std::vector<RecordId>& found) {
    const RecordStore& records = database.records();
    const auto keep = [&](RecordId id) {
        if (matchesCriteria(records, id, criteria)) {
            found.push_back(id);
        }
    };
    if (criteria.isExactName()) {
        if (const RecordId id = database.findName(criteria.name); id != NoRecord) {
            keep(id);
        }
        return;
    }
    if (isExactRating(criteria)) {
        database.collectRating(criteria.ratingLow->num, criteria.ratingLow->den, found);
        std::erase_if(found, [&](RecordId id) { return !matchesCriteria(records, id, criteria); });
        return;
    }
    // A scan may keep every record: room for all is reserved, which costs
    // address space only, never memory that no record fills, and spares the
    // copies of a growing vector.
    found.reserve(records.size());
    if (criteria.groups) {
        database.groups().forEachInRange(criteria.groups->low, criteria.groups->high, keep);
        return;
    }
    for (RecordId id = records.first(); id != NoRecord; id = records.next(id)) {
        keep(id);
    }
}

}  // namespace

bool selectRecords(const Database& database, Selection& selection, const Criteria& criteria) {
    try {
        std::vector<RecordId> found;
        collectMatches(database, criteria, found);
        selection.records.swap(found);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void reselectRecords(const RecordStore& records, Selection& selection, const Criteria& criteria) {
    std::erase_if(selection.records, [&](RecordId id) { return !matchesCriteria(records, id, criteria); });
}

}  // namespace recdb
