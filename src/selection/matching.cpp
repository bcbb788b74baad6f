#include "selection/matching.hpp"

#include "order/relation.hpp"

namespace recdb {

bool matchesPattern(std::string_view name, std::string_view pattern) {
    const std::size_t firstStar = pattern.find('*');
    if (firstStar == std::string_view::npos) {
        return name == pattern;
    }
    const std::size_t lastStar = pattern.rfind('*');
    const std::string_view head = pattern.substr(0, firstStar);
    const std::string_view tail = pattern.substr(lastStar + 1);
    if (!name.starts_with(head)) {
        return false;
    }
    std::size_t pos = head.size();
    // The leftmost occurrence of each middle segment is enough: if any way
    // of matching exists, this one leaves the most room for the rest.
    std::string_view middle = pattern.substr(firstStar + 1, lastStar - firstStar);
    while (!middle.empty()) {
        const std::size_t star = middle.find('*');
        const std::string_view segment = middle.substr(0, star);
        middle = middle.substr(star + 1);
        const std::size_t found = name.find(segment, pos);
        if (found == std::string_view::npos) {
            return false;
        }
        pos = found + segment.size();
    }
    return name.size() - pos >= tail.size() && name.ends_with(tail);
}

namespace {

// Whether a record satisfies every condition present. fields gives the
// record's name(), group(), ratingNum() and ratingDen(), each read only when
// a condition needs it.
template <typename Fields>
bool matchesFields(const Fields& fields, const Criteria& criteria) {
    if (!criteria.name.empty() && !matchesPattern(fields.name(), criteria.name)) {
        return false;
    }
    if (criteria.ratingLow) {
        const std::int32_t num = fields.ratingNum();
        const std::int32_t den = fields.ratingDen();
        if (compareRatings(num, den, criteria.ratingLow->num, criteria.ratingLow->den) == Relation::Below) {
            return false;
        }
        if (criteria.ratingHigh &&
            compareRatings(num, den, criteria.ratingHigh->num, criteria.ratingHigh->den) == Relation::Above) {
            return false;
        }
    }
    if (criteria.groups) {
        const std::int32_t group = fields.group();
        if (group < criteria.groups->low || group > criteria.groups->high) {
            return false;
        }
    }
    return true;
}

// The fields of a record of the store, read on demand.
struct StoredFields {
    const RecordStore& records;
    RecordId id;

    std::string_view name() const { return records.name(id); }
    std::int32_t group() const { return records.group(id); }
    std::int32_t ratingNum() const { return records.ratingNum(id); }
    std::int32_t ratingDen() const { return records.ratingDen(id); }
};

// The fields of a record view.
struct ViewFields {
    const RecordView& record;

    std::string_view name() const { return record.name; }
    std::int32_t group() const { return record.group; }
    std::int32_t ratingNum() const { return record.ratingNum; }
    std::int32_t ratingDen() const { return record.ratingDen; }
};

}  // namespace

bool matchesCriteria(const RecordStore& records, RecordId id, const Criteria& criteria) {
    return matchesFields(StoredFields{records, id}, criteria);
}

bool matchesRecord(const RecordView& record, const Criteria& criteria) {
    return matchesFields(ViewFields{record}, criteria);
}

}  // namespace recdb
