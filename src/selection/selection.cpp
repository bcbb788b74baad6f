#include "selection/selection.hpp"

#include <new>

#include "selection/matching.hpp"
#include "store/record_compare.hpp"

namespace recdb {

bool isExactRating(const Criteria& criteria) {
    return criteria.ratingLow && criteria.ratingHigh &&
           compareRatings(criteria.ratingLow->num, criteria.ratingLow->den, criteria.ratingHigh->num,
                          criteria.ratingHigh->den) == Relation::Same;
}

namespace {

void collectMatches(const Database& database, const Criteria& criteria, std::vector<NodeId>& found) {
    const RecordStore& records = database.records();
    const auto keep = [&](NodeId id) {
        if (matchesCriteria(records, id, criteria)) {
            found.push_back(id);
        }
    };
    if (criteria.isExactName()) {
        if (const NodeId id = database.findName(criteria.name); id != NoNode) {
            keep(id);
        }
        return;
    }
    if (isExactRating(criteria)) {
        database.collectRating(criteria.ratingLow->num, criteria.ratingLow->den, found);
        std::erase_if(found, [&](NodeId id) { return !matchesCriteria(records, id, criteria); });
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
    for (NodeId id = records.first(); id != NoNode; id = records.next(id)) {
        keep(id);
    }
}

}  // namespace

bool selectRecords(const Database& database, Selection& selection, const Criteria& criteria) {
    try {
        std::vector<NodeId> found;
        collectMatches(database, criteria, found);
        selection.records.swap(found);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void reselectRecords(const RecordStore& records, Selection& selection, const Criteria& criteria) {
    std::erase_if(selection.records, [&](NodeId id) { return !matchesCriteria(records, id, criteria); });
}

}  // namespace recdb
