#include "selection/matching.hpp"

#include "store/record_compare.hpp"

namespace recdb {

int compareByGroup(const Record& a, const Record& b) {
    if (a.group != b.group) {
        return a.group > b.group ? 1 : -1;
    }
    return compareNamesAsTie(a, b);
}

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

int matchesCriteria(const Record& record, const Criteria& criteria) {
    const std::string_view nameCondition = criteria.low.nameView();
    if (!nameCondition.empty() && !matchesPattern(record.nameView(), nameCondition)) {
        return -1;
    }
    if (criteria.low.ratingDen >= 0) {
        if (compareByRating(record, criteria.low) == -1) {
            return -1;
        }
        if (criteria.high.ratingDen >= 0 && compareByRating(record, criteria.high) == 1) {
            return -1;
        }
    }
    if (criteria.low.group >= 0) {
        if (compareByGroup(record, criteria.low) == -1 || compareByGroup(record, criteria.high) == 1) {
            return -1;
        }
    }
    return 0;
}

}  // namespace recdb
