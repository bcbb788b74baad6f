#pragma once

#include <string_view>

#include "store/record.hpp"

namespace recdb {

// The conditions of select and reselect, carried by two records:
// - name: low.name non-empty; a pattern when it holds "*", else exact, and
//   then high.name is the same text (high.name is empty otherwise);
// - group: low.group >= 0 gives the inclusive range low.group..high.group;
// - rating: low.ratingDen >= 0 gives the lower bound low's rating; the upper
//   bound high's rating applies only when high.ratingDen >= 0 too.
struct Criteria {
    Record low;
    Record high;
};

// Resets the conditions, then reads name=, group= and rating= words up to
// the word "end". In group and rating values "-" marks a range and "*" an
// open side; unknown words are skipped. A repeated key overwrites field by
// field.
void parseConditions(std::string_view text, Criteria& criteria);

}  // namespace recdb
