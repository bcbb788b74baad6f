#include "file_tool/selected_records.hpp"

#include <algorithm>
#include <new>

#include "selection/matching.hpp"

namespace recdb {

bool SelectedRecords::read(io::InputFile& file, bool rereadable, ReadTally& tally) {
    const bool treesMayShow = criteria_.isExactName() || (order_ && isExactRating(criteria_));
    whole_ = treesMayShow && !rereadable;
    if (!load(file, tally)) {
        return false;
    }
    if (!whole_ && shapeShows()) {
        whole_ = true;
        tally = {};
        if (!file.rewind() || !load(file, tally)) {
            return false;
        }
    }
    if (!selectRecords(database_, selection_, criteria_)) {
        throw std::bad_alloc();
    }
    if (!order_) {
        // Records are numbered in file order, as a load files them.
        std::sort(selection_.records.begin(), selection_.records.end());
    } else if (!sort(database_.records(), selection_.records, *order_)) {
        throw std::bad_alloc();
    }
    return true;
}

bool SelectedRecords::load(io::InputFile& file, ReadTally& tally) {
    // A record takes at least its fixed fields: slots for as many as a
    // regular file could hold are reserved, and taken from the system only
    // as records fill them.
    database_.startLoad(whole_ ? file.size() / RecordFixedSize : 0);
    cut_.clear();
    named_ = 0;
    const bool exactName = criteria_.isExactName();
    readRecords(file, tally, [&](const RecordView& record, bool cut) {
        if (exactName && record.name == criteria_.name) {
            ++named_;
        }
        if (whole_ || matchesRecord(record, criteria_)) {
            database_.append(record);
            cut_.push_back(cut);
        }
    });
    if (tally.stopped()) {
        database_.clear();
        return false;
    }
    database_.finishLoad();
    return true;
}

bool SelectedRecords::shapeShows() const {
    if (criteria_.isExactName()) {
        return named_ > 1;
    }
    return order_ && isExactRating(criteria_) && database_.names().isTree();
}

}  // namespace recdb
