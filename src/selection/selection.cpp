#include "selection/selection.hpp"

#include <vector>

#include "selection/matching.hpp"
#include "store/record_compare.hpp"

namespace recdb {

namespace {

void appendIfMatching(Selection& selection, RecordNode* node, const Criteria& criteria) {
    if (matchesCriteria(node->record, criteria) >= 0) {
        selection.entries.append(node);
    }
}

bool isExactName(const Criteria& criteria) {
    return !criteria.low.nameView().empty() && criteria.low.nameView() == criteria.high.nameView();
}

bool isExactRating(const Criteria& criteria) {
    if (criteria.low.ratingDen < 0 || criteria.high.ratingDen < 0) {
        return false;
    }
    const int c = compareByRating(criteria.low, criteria.high);
    return c == -2 || c == 0 || c == 2;
}

}  // namespace

void selectRecords(const Database& database, Selection& selection, const Criteria& criteria) {
    selection.entries.clear();
    if (isExactName(criteria)) {
        if (RecordNode* node = database.nameIndex().find(criteria.low)) {
            appendIfMatching(selection, node, criteria);
        }
        return;
    }
    if (isExactRating(criteria)) {
        std::vector<RecordNode*> candidates;
        database.ratingIndex().collectEqualPrimary(criteria.low, candidates);
        for (RecordNode* node : candidates) {
            appendIfMatching(selection, node, criteria);
        }
        return;
    }
    if (criteria.low.group >= 0) {
        for (const GroupEntry* entry : database.groups().entriesInRange(criteria.low.group, criteria.high.group)) {
            for (RefNode& ref : entry->records) {
                appendIfMatching(selection, ref.record, criteria);
            }
        }
        return;
    }
    for (RecordNode& node : database.records()) {
        appendIfMatching(selection, &node, criteria);
    }
}

void reselectRecords(Selection& selection, const Criteria& criteria) {
    for (auto it = selection.entries.begin(); it != selection.entries.end();) {
        RefNode& node = *it++;
        if (matchesCriteria(node.record->record, criteria) < 0) {
            selection.entries.erase(&node);
        }
    }
}

}  // namespace recdb
