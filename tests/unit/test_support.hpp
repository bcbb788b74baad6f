#pragma once

#include <optional>
#include <string>

#include "store/ordered_index.hpp"
#include "store/record.hpp"

namespace recdb::testing {

inline Record makeRecord(const std::string& name, std::int32_t group = 0, std::int32_t num = 0, std::int32_t den = 0,
                         std::optional<std::string> info = std::nullopt) {
    Record record;
    record.setName(name);
    record.group = group;
    record.ratingNum = num;
    record.ratingDen = den;
    record.info = std::move(info);
    return record;
}

// The tree in pre-order as "name:colour(left,right)", "-" for a missing child.
inline std::string shapeOf(const IndexNode* node) {
    if (node == nullptr) {
        return "-";
    }
    std::string text(node->record->record.nameView());
    text += ':' + std::to_string(node->colour);
    if (node->left != nullptr || node->right != nullptr) {
        text += '(' + shapeOf(node->left) + ',' + shapeOf(node->right) + ')';
    }
    return text;
}

}  // namespace recdb::testing
