#pragma once

#include <string_view>

#include "selection/criteria.hpp"

namespace recdb {

// Reads name=, group= and rating= words up to the word "end" into fresh
// criteria. In group and rating values "-" marks a range and "*" an open
// side; a group or rating bound read as negative means no condition, since
// "-" cannot give one. A repeated key overwrites field by field; unknown
// words are skipped. An upper rating bound counts only with a lower one.
Criteria parseConditions(std::string_view text);

}  // namespace recdb
