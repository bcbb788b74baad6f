#include "request/conditions.hpp"

#include "request/number.hpp"
#include "request/words.hpp"

namespace recdb {

namespace {

void applyName(std::string_view value, Criteria& criteria) {
    criteria.low.setName(value);
    if (criteria.low.nameView().find('*') == std::string_view::npos) {
        criteria.high.setName(criteria.low.nameView());
    } else {
        criteria.high.setName({});
    }
}

void applyGroup(std::string_view value, Criteria& criteria) {
    if (value == "*") {
        criteria.low.group = criteria.high.group = -1;
        return;
    }
    const std::size_t dash = value.find('-');
    if (dash == std::string_view::npos) {
        criteria.low.group = criteria.high.group = readNumber(value);
    } else {
        criteria.low.group = readNumber(value.substr(0, dash));
        criteria.high.group = readNumber(value.substr(dash + 1));
    }
}

// Writes a bound from a text A.B; a text without "." leaves the bound as is.
void applyRatingBound(std::string_view text, Record& bound) {
    const std::size_t point = text.find('.');
    if (point != std::string_view::npos) {
        bound.ratingNum = readNumber(text.substr(0, point));
        bound.ratingDen = readNumber(text.substr(point + 1));
    }
}

void applyRating(std::string_view value, Criteria& criteria) {
    if (value == "*") {
        criteria.low.ratingDen = criteria.high.ratingDen = -1;
        return;
    }
    const std::size_t dash = value.find('-');
    if (dash == std::string_view::npos) {
        applyRatingBound(value, criteria.low);
        applyRatingBound(value, criteria.high);
        return;
    }
    const std::string_view lower = value.substr(0, dash);
    const std::string_view upper = value.substr(dash + 1);
    if (lower == "*") {
        criteria.low.ratingDen = -1;
    } else {
        applyRatingBound(lower, criteria.low);
    }
    if (upper == "*") {
        criteria.high.ratingDen = -1;
    } else {
        applyRatingBound(upper, criteria.high);
    }
}

}  // namespace

void parseConditions(std::string_view text, Criteria& criteria) {
    criteria.low.setName({});
    criteria.high.setName({});
    criteria.low.group = criteria.high.group = -1;
    criteria.low.ratingDen = criteria.high.ratingDen = -1;
    forEachKeyValue(text, [&criteria](const KeyValue& kv) {
        if (kv.key == "name") {
            applyName(kv.value, criteria);
        } else if (kv.key == "group") {
            applyGroup(kv.value, criteria);
        } else if (kv.key == "rating") {
            applyRating(kv.value, criteria);
        }
    });
}

}  // namespace recdb
