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

bool matchesCriteria(const RecordStore& records, RecordId id, const Criteria& criteria) {
    if (!criteria.name.empty() && !matchesPattern(records.name(id), criteria.name)) {
        return false;
    }
    if (criteria.ratingLow) {
        const std::int32_t num = records.ratingNum(id);
        const std::int32_t den = records.ratingDen(id);
        if (compareRatings(num, den, criteria.ratingLow->num, criteria.ratingLow->den) == Relation::Below) {
            return false;
        }
        if (criteria.ratingHigh &&
            compareRatings(num, den, criteria.ratingHigh->num, criteria.ratingHigh->den) == Relation::Above) {
            return false;
        }
    }
    if (criteria.groups) {
        const std::int32_t group = records.group(id);
        if (group < criteria.groups->low || group > criteria.groups->high) {
            return false;
        }
    }
    return true;
}

}  // namespace recdb
