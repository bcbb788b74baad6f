#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/ordered_index.hpp"
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

// The three orders of records as they read, the model that the index keys'
// and the selection sort's faster comparisons are held against. Each is a
// total preorder: swapping the arguments reverses the result. The name order
// gives Below, Same or Above; the other two have a primary field and let the
// names settle its ties.
inline Relation compareByName(const Record& a, const Record& b) { return compareNames(a.nameView(), b.nameView()); }
// Ratings, then names.
inline Relation compareByRating(const Record& a, const Record& b) {
    const Relation primary = compareRatings(a.ratingNum, a.ratingDen, b.ratingNum, b.ratingDen);
    return primary != Relation::Same ? primary : asNameTie(compareByName(a, b));
}
// Groups as signed numbers, then names.
inline Relation compareByGroup(const Record& a, const Record& b) {
    if (a.group != b.group) {
        return a.group < b.group ? Relation::Below : Relation::Above;
    }
    return asNameTie(compareByName(a, b));
}

// The comparison of an index order on two stored records, from the record
// orders' own parts.
inline Relation compareStored(const RecordStore& store, IndexOrder order, RecordId a, RecordId b) {
    const Relation names = compareNames(store.name(a), store.name(b));
    if (order == IndexOrder::ByName) {
        return names;
    }
    const Relation primary =
        compareRatings(store.ratingNum(a), store.ratingDen(a), store.ratingNum(b), store.ratingDen(b));
    return primary != Relation::Same ? primary : asNameTie(names);
}

inline RecordId addRecord(RecordStore& store, const Record& record) {
    store.prepare(record.view());
    return store.add(record.view());
}

// A tree in pre-order as "name:colour(left,right)", "-" for a missing child,
// with an explicit stack: chains are deep. describe(node) gives
// "name:colour", children(node) the pair of children; none is no node.
template <typename Node, typename Describe, typename Children>
std::string preOrderShape(Node root, Node none, Describe describe, Children children) {
    struct Item {
        Node node;
        const char* literal;  // written as it stands when not null
    };
    std::string text;
    std::vector<Item> pending{{root, nullptr}};
    while (!pending.empty()) {
        const Item item = pending.back();
        pending.pop_back();
        if (item.literal != nullptr) {
            text += item.literal;
        } else if (item.node == none) {
            text += '-';
        } else {
            text += describe(item.node);
            const auto [left, right] = children(item.node);
            if (left != none || right != none) {
                pending.insert(pending.end(),
                               {{none, ")"}, {right, nullptr}, {none, ","}, {left, nullptr}, {none, "("}});
            }
        }
    }
    return text;
}

inline std::string shapeOf(const OrderedIndex& index, const RecordStore& store) {
    const std::vector<Colour> colours = index.colours();
    return preOrderShape(
        index.root(), NoRecord,
        [&](RecordId node) {
            return std::string(store.name(node)) + ':' + std::to_string(static_cast<int>(colours[node]));
        },
        [&](RecordId node) { return std::pair(index.left(node), index.right(node)); });
}

}  // namespace recdb::testing
