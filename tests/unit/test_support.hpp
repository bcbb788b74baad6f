#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ordered_index.hpp"
#include "store/record.hpp"
#include "store/record_store.hpp"

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

// A prefix and a number, as a name. (Built by appending: "n" + to_string
// meets a false -Wrestrict warning of GCC 12.)
inline std::string numbered(std::string_view prefix, long number) {
    std::string text(prefix);
    text += std::to_string(number);
    return text;
}

inline NodeId addRecord(RecordStore& store, const Record& record) {
    store.prepare(record.view());
    return store.add(record.view());
}

// The tree in pre-order as "name:colour(left,right)", "-" for a missing
// child, with an explicit stack: chains are deep.
inline std::string shapeOf(const OrderedIndex& index, const RecordStore& store) {
    struct Item {
        NodeId node;
        const char* literal;  // written as it stands when not null
    };
    std::string text;
    std::vector<Item> pending{{index.root(), nullptr}};
    while (!pending.empty()) {
        const Item item = pending.back();
        pending.pop_back();
        if (item.literal != nullptr) {
            text += item.literal;
        } else if (item.node == NoNode) {
            text += '-';
        } else {
            text += store.name(item.node);
            text += ':' + std::to_string(static_cast<int>(index.colour(item.node)));
            const NodeId left = index.left(item.node);
            const NodeId right = index.right(item.node);
            if (left != NoNode || right != NoNode) {
                pending.insert(pending.end(),
                               {{NoNode, ")"}, {right, nullptr}, {NoNode, ","}, {left, nullptr}, {NoNode, "("}});
            }
        }
    }
    return text;
}

}  // namespace recdb::testing
