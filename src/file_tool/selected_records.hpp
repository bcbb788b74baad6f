#pragma once

#include <optional>
#include <vector>

#include "io/input_file.hpp"
#include "selection/criteria.hpp"
#include "selection/selection.hpp"
#include "selection/sort.hpp"
#include "store/database.hpp"
#include "store/record_reader.hpp"

namespace recdb {

// How reading the records of a database file ended.
struct ReadTally {
    std::uint64_t read = 0;  // complete records
    RecordRead end = RecordRead::End;
    std::uint64_t endRecordOffset = 0;  // where the record that ended the reading begins
    std::int32_t badNameLength = 0;

    // Whether the reading stopped where a load refuses the file or cannot go
    // on.
    bool stopped() const { return end == RecordRead::BadNameLength || end == RecordRead::Failed; }
};

// Reads every record of a file as a load does, handing on each complete one
// with whether a zero byte cut its name or info: visit(record, cut).
template <typename Visit>
void readRecords(io::InputFile& file, ReadTally& tally, Visit visit) {
    RecordReader reader(file);
    while ((tally.end = reader.next()) == RecordRead::Complete) {
        ++tally.read;
        const RecordView& record = reader.record();
        visit(record, record.name.size() != reader.rawName().size() ||
                          (record.info && record.info->size() != reader.rawInfo()->size()));
    }
    tally.endRecordOffset = reader.recordOffset();
    tally.badNameLength = reader.nameLength();
}

// The records of a file that select CONDITIONS in recdb finds after a load
// of it, in the order that print ... sort FIELD then gives them, or else in
// file order; found by recdb's own select and sort.
//
// They are found in a database of the matching records alone, which gives
// exactly what the whole file's database gives as long as the shape of
// recdb's trees cannot show. Select finds a scan's records in file order and
// a group range's by group, each group in file order: the same relative
// order in both databases, so the sort, given the same sequence, leaves
// records that compare the same in the same order. The trees' shapes show in
// two places only: which record of a repeated name select name=X finds (the
// tree of every name of the file decides), and the order in which an exact
// rating's records come to the sort, which matters only where two of them
// compare the same, that is share a name. In those two cases, and only
// then, the whole file is loaded: read again where it can be, or from the
// start where it cannot be read twice and the conditions could need it.
// Memory is that of a load of the matching records, else of the file.
class SelectedRecords {
public:
    SelectedRecords(const Criteria& criteria, std::optional<RecordOrder> order) : criteria_(criteria), order_(order) {}

    // Reads the open file from its start: false when the reading ended with
    // a bad name length or failed (tally says which); may throw
    // std::bad_alloc.
    [[nodiscard]] bool read(io::InputFile& file, bool rereadable, ReadTally& tally);

    // Hands on the records in their order: visit(record, cut), cut as for
    // readRecords.
    template <typename Visit>
    void forEach(Visit visit) const {
        const RecordStore& records = database_.records();
        for (const RecordId id : selection_.records) {
            visit(RecordView{records.name(id), records.group(id), records.ratingNum(id), records.ratingDen(id),
                             records.info(id)},
                  static_cast<bool>(cut_[id]));
        }
    }
    // Whether the whole file was loaded.
    bool loadedWhole() const { return whole_; }

private:
    bool load(io::InputFile& file, ReadTally& tally);
    bool shapeShows() const;

    Criteria criteria_;
    std::optional<RecordOrder> order_;
    Database database_;
    std::vector<bool> cut_;    // by record number
    std::uint64_t named_ = 0;  // the records of the exact name, if any
    bool whole_ = false;
    Selection selection_;
};

}  // namespace recdb
