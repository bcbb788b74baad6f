#include "index/lookups.hpp"

namespace recdb {

// The highest node of a run of consecutive keys first..last (in-order), which
// holds all the others below it. Two walkers climb from the ends: the one
// from first meets only nodes inside or below the run until it passes the
// top, the one from last only nodes inside or above; the first node above the
// run met from first, or below it met from last, lies over the top, and the
// last node inside the run that the walker met is the top. Walking both by
// turns costs at most twice the shorter way to such a node.
template <typename Classify>
RecordId Lookups::topOfRange(RecordId first, RecordId last, Classify classify) const {
    struct Walker {
        RecordId at;
        RecordId top;   // the last node inside the run met so far
        Side passedAt;  // meeting a node on this side means the top is passed
    };
    // One step up; true once the walker knows the top.
    const auto climb = [this, &classify](Walker& walker) {
        ++nodeVisits_;
        const RecordId up = nodes_.parent(walker.at);
        if (up == NoRecord) {
            return true;
        }
        const Side side = classify(up);
        if (side == walker.passedAt) {
            return true;
        }
        if (side == Side::Inside) {
            walker.top = up;
        }
        walker.at = up;
        return false;
    };
    Walker fromFirst{first, first, Side::Above};
    Walker fromLast{last, last, Side::Below};
    for (;;) {
        if (climb(fromFirst)) {
            return fromFirst.top;
        }
        if (climb(fromLast)) {
            return fromLast.top;
        }
    }
}

RecordId Lookups::find(const Probe& probe) const {
    const KeyOrder::Position at = comparer_.partitionPoint(keys_, probe, [](Relation r) { return isBelow(r); });
    const RecordId first = keys_.idAt(at);
    if (first == NoRecord || comparer_.compare(first, probe) != Relation::Same) {
        return NoRecord;
    }
    // Most keys are unique: one look at the next record tells; only a run of
    // equal keys needs the search for its end.
    const RecordId next = keys_.idAt(keys_.next(at));
    if (next == NoRecord || comparer_.compare(next, probe) != Relation::Same) {
        return first;
    }
    const KeyOrder::Position end = comparer_.partitionPoint(keys_, probe, [](Relation r) { return !isAbove(r); });
    const RecordId last = keys_.idAt(keys_.previous(end));
    return topOfRange(first, last, [this, &probe](RecordId node) {
        const Relation r = comparer_.compare(node, probe);
        return isBelow(r) ? Side::Below : isAbove(r) ? Side::Above : Side::Inside;
    });
}

void Lookups::collectEqualPrimary(const Probe& probe, std::vector<RecordId>& out) const {
    const auto sideOf = [this, &probe](RecordId node) {
        const Relation r = comparer_.compare(node, probe);
        return r == Relation::Below ? Side::Below : r == Relation::Above ? Side::Above : Side::Inside;
    };
    const KeyOrder::Position start =
        comparer_.partitionPoint(keys_, probe, [](Relation r) { return r == Relation::Below; });
    const RecordId first = keys_.idAt(start);
    if (first == NoRecord || comparer_.compare(first, probe) == Relation::Above) {
        return;
    }
    const KeyOrder::Position end =
        comparer_.partitionPoint(keys_, probe, [](Relation r) { return r != Relation::Above; });
    const RecordId last = keys_.idAt(keys_.previous(end));
    const RecordId top = topOfRange(first, last, sideOf);
    // Pre-order walk with an explicit stack. A subtree that lies wholly below
    // or above the key's primary field holds no match and is passed over,
    // which leaves the order of the matches unchanged.
    std::vector<RecordId> pending{top};
    while (!pending.empty()) {
        ++nodeVisits_;
        const RecordId node = pending.back();
        pending.pop_back();
        const Side side = sideOf(node);
        if (side == Side::Inside) {
            out.push_back(node);
        }
        if (side != Side::Above && nodes_.right(node) != NoRecord) {
            pending.push_back(nodes_.right(node));
        }
        if (side != Side::Below && nodes_.left(node) != NoRecord) {
            pending.push_back(nodes_.left(node));
        }
    }
}

}  // namespace recdb
