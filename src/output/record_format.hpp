#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/fields.hpp"
#include "store/record_store.hpp"

namespace recdb {

// Appends a number in plain decimal: no leading zeros, "-" when negative.
void appendNumber(std::string& out, std::int32_t value);

// Appends the chosen fields of a record in the fixed order name, group,
// rating, info: each shown field but info followed by a tab, the rating as
// its two numbers joined by a point, the info (when present) last.
void appendRecordFields(std::string& out, const RecordStore& records, RecordId id, FieldSet fields);

// Visits the records in the order given, fetching the slots and texts of
// the records some steps ahead into the cache: in a sorted order they lie at
// random places, and each record's cache misses would otherwise wait for
// those of the one before.
template <typename Visit>
void forEachRecord(const RecordStore& records, const std::vector<RecordId>& ids, Visit visit) {
    constexpr std::size_t SlotsAhead = 16;
    constexpr std::size_t TextsAhead = 8;
    for (std::size_t k = 0; k < ids.size(); ++k) {
        if (k + SlotsAhead < ids.size()) {
            records.prefetchSlot(ids[k + SlotsAhead]);
        }
        if (k + TextsAhead < ids.size()) {
            records.prefetchTexts(ids[k + TextsAhead]);
        }
        visit(ids[k]);
    }
}

}  // namespace recdb
