#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace recdb {

// A rating as the pair of its two numbers.
struct RatingPair {
    std::int32_t num = 0;
    std::int32_t den = 0;
};

// The conditions of select and reselect. A condition that is absent does not
// restrict.
struct Criteria {
    // The name: a pattern in which "*" stands for any run of bytes, or,
    // without a "*", the exact name. Empty: no condition.
    std::string name;
    // The groups low..high, inclusive.
    struct GroupRange {
        std::int32_t low = 0;
        std::int32_t high = 0;
    };
    std::optional<GroupRange> groups;
    // The ratings from ratingLow up, and up to ratingHigh if that is given.
    std::optional<RatingPair> ratingLow;
    std::optional<RatingPair> ratingHigh;

    bool isExactName() const { return !name.empty() && name.find('*') == std::string::npos; }
};

}  // namespace recdb
