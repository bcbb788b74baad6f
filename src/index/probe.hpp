#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "index/key_order.hpp"
#include "order/index_key.hpp"
#include "order/record_id.hpp"
#include "order/record_keys.hpp"
#include "order/relation.hpp"

namespace recdb {

// A key to look up; its record need not be in the store.
struct Probe {
    IndexKey key;
    std::string_view name;
};
inline Probe probeOf(std::string_view name, std::int32_t ratingNum, std::int32_t ratingDen) {
    return {indexKeyOf(name, ratingNum, ratingDen), name};
}

// An index's comparisons of its records, and of the key order's separators,
// with a probe, each counted: the inline keys decide most of them, and a
// record's full name is read only when the prefixes tie.
class ProbeComparer {
public:
    ProbeComparer(IndexOrder order, const RecordKeys& records) : order_(order), records_(records) {}

    Relation compare(RecordId id, const Probe& probe) const {
        return compareToProbe(
            records_.keyOf(id), [this, id] { return records_.nameOf(id); }, probe);
    }
    // The place in keys before the first entry whose relation with the
    // probe does not pass the test.
    template <typename Test>
    KeyOrder::Position partitionPoint(const KeyOrder& keys, const Probe& probe, Test test) const {
        return keys.partitionPoint(
            [this, &probe, test](const auto& item) { return test(this->compareItem(item, probe)); });
    }
    // The probe of a filed record's own key.
    Probe probeOfRecord(RecordId id) const { return {records_.keyOf(id), records_.nameOf(id)}; }

    std::uint64_t comparisons() const { return comparisons_; }

private:
    template <typename Name>
    Relation compareToProbe(const IndexKey& key, Name name, const Probe& probe) const {
        ++comparisons_;
        return compareKeyed(order_, key, name, probe.key, [&probe] { return probe.name; });
    }
    // An entry of the key order is a record number; a separator holds its key.
    template <typename Item>
    Relation compareItem(const Item& item, const Probe& probe) const {
        if constexpr (std::is_same_v<Item, RecordId>) {
            return compare(item, probe);
        } else {
            return compareToProbe(
                item.key, [&item] { return item.nameView(); }, probe);
        }
    }

    IndexOrder order_;
    const RecordKeys& records_;
    mutable std::uint64_t comparisons_ = 0;
};

}  // namespace recdb
