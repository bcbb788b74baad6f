#include "request/conditions.hpp"

#include "request/number.hpp"
#include "request/words.hpp"
#include "store/record.hpp"

namespace recdb {

namespace {

// The conditions as the words leave them, before absent ones are told
// apart: negative lows and second parts stand for "no condition".
struct Bounds {
    std::string name;
    std::int32_t groupLow = -1;
    std::int32_t groupHigh = -1;
    RatingPair ratingLow{0, -1};
    RatingPair ratingHigh{0, -1};
};

void applyName(std::string_view value, Bounds& bounds) { bounds.name.assign(storedName(value)); }

void applyGroup(std::string_view value, Bounds& bounds) {
    if (value == "*") {
        bounds.groupLow = bounds.groupHigh = -1;
        return;
    }
    const std::size_t dash = value.find('-');
    if (dash == std::string_view::npos) {
        bounds.groupLow = bounds.groupHigh = readNumber(value);
    } else {
        bounds.groupLow = readNumber(value.substr(0, dash));
        bounds.groupHigh = readNumber(value.substr(dash + 1));
    }
}

// A bound from a text A.B; a text without "." leaves the bound as it is.
void applyRatingBound(std::string_view text, RatingPair& bound) {
    static_cast<void>(readRatingPair(text, bound.num, bound.den));
}

void applyRating(std::string_view value, Bounds& bounds) {
    if (value == "*") {
        bounds.ratingLow.den = bounds.ratingHigh.den = -1;
        return;
    }
    const std::size_t dash = value.find('-');
    if (dash == std::string_view::npos) {
        applyRatingBound(value, bounds.ratingLow);
        applyRatingBound(value, bounds.ratingHigh);
        return;
    }
    const std::string_view lower = value.substr(0, dash);
    const std::string_view upper = value.substr(dash + 1);
    if (lower == "*") {
        bounds.ratingLow.den = -1;
    } else {
        applyRatingBound(lower, bounds.ratingLow);
    }
    if (upper == "*") {
        bounds.ratingHigh.den = -1;
    } else {
        applyRatingBound(upper, bounds.ratingHigh);
    }
}

}  // namespace

Criteria parseConditions(std::string_view text) {
    Bounds bounds;
    forEachKeyValue(text, [&bounds](const KeyValue& kv) {
        if (kv.key == "name") {
            applyName(kv.value, bounds);
        } else if (kv.key == "group") {
            applyGroup(kv.value, bounds);
        } else if (kv.key == "rating") {
            applyRating(kv.value, bounds);
        }
    });
    Criteria criteria;
    criteria.name = std::move(bounds.name);
    if (bounds.groupLow >= 0) {
        criteria.groups = Criteria::GroupRange{bounds.groupLow, bounds.groupHigh};
    }
    if (bounds.ratingLow.den >= 0) {
        criteria.ratingLow = bounds.ratingLow;
        if (bounds.ratingHigh.den >= 0) {
            criteria.ratingHigh = bounds.ratingHigh;
        }
    }
    return criteria;
}

}  // namespace recdb
