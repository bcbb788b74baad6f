#include "index/ordered_index.hpp"

#include <cassert>

#include "index/bulk_load.hpp"

namespace recdb {

void OrderedIndex::prepareInsert() {
    nodes_.makeRoom(records_.idLimit());
    colours_.makeRoom();
    keys_.prepareInsert();
}

void OrderedIndex::insert(RecordId id) {
    assert(id < nodes_.size() && keys_.readyToInsert() && colours_.hasRoomFor(id));
    nodes_.renew(id);
    const KeyOrder::Position at =
        comparer_.partitionPoint(keys_, comparer_.probeOfRecord(id), [](Relation r) { return isBelow(r); });
    // The repair changes links and colour bits, the key order only leaf
    // bits: the two may go in either order.
    repairs_.insert(id, keys_.idAt(keys_.previous(at)), keys_.idAt(at));
    keys_.insert(at, id, leafWords());
}

void OrderedIndex::remove(RecordId id) {
    const KeyOrder::Position at = keys_.positionOf(id, leafWords());
    const RecordId predecessor = nodes_.left(id) == NoRecord ? NoRecord : keys_.idAt(keys_.previous(at));
    repairs_.remove(id, predecessor);
    keys_.erase(at);
}

void OrderedIndex::insertAll(std::size_t count, const BulkProgress& progress) {
    BulkLoad(nodes_, colours_, repairs_).fileAll(keys_, records_, order_, count, progress);
}

void OrderedIndex::clear() {
    nodes_.clear();
    colours_.clear();
    keys_.clear();
}

OrderedIndex::Work OrderedIndex::work() const {
    return {repairs_.steps(), nodes_.rotations(), comparer_.comparisons(), lookups_.nodeVisits(),
            colours_.chainSteps()};
}

}  // namespace recdb
