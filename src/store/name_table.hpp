#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "index/bulk_progress.hpp"
#include "order/record_id.hpp"
#include "store/record_store.hpp"

namespace recdb {

// The records by name, in a hash table with open addressing: for a database
// whose names are all different, where the name tree's shape cannot be seen
// and a lookup needs no order. Each slot holds a record number and a byte of
// the name's hash, so that most slots that do not match are passed without
// reading the record; the two share one 5-byte cell, so that a lookup in a
// large table misses the cache once, not twice.
//
// Inserting is split in two: prepareInsert grows the table as needed and may
// throw std::bad_alloc, leaving nothing changed; insert then cannot fail.
class NameTable {
public:
    explicit NameTable(const RecordStore& records) : records_(records) {}

    void prepareInsert();
    // Files a record whose name is not in the table.
    void insert(RecordId id);
    void remove(RecordId id);
    RecordId find(std::string_view name) const;
    // Files the records numbered 0..count-1 into an empty table; false, with
    // the table left empty, when two of them share a name.
    bool insertAll(std::size_t count, const BulkProgress& progress = {});
    void clear();

    std::size_t size() const { return count_; }

private:
    static std::uint64_t hashOf(std::string_view name);
    static std::uint8_t tagOf(std::uint64_t hash) { return static_cast<std::uint8_t>(hash >> 56); }
    // The home slot: the hash's low half scaled to the table's size (below
    // 2^32 slots), which need not be a power of two. The tag comes from the
    // high half, so that the slots of one run hold unrelated tags.
    std::size_t homeOf(std::uint64_t hash) const { return ((hash & 0xFFFFFFFFu) * slots_) >> 32; }
    std::size_t after(std::size_t slot) const { return slot + 1 == slots_ ? 0 : slot + 1; }

    static constexpr std::size_t CellSize = 5;
    const unsigned char* cell(std::size_t slot) const { return cells_.data() + slot * CellSize; }
    RecordId idAt(std::size_t slot) const {
        RecordId id;
        std::memcpy(&id, cell(slot), sizeof id);
        return id;
    }
    std::uint8_t tagAt(std::size_t slot) const { return cell(slot)[sizeof(RecordId)]; }
    void set(std::size_t slot, RecordId id, std::uint8_t tag) {
        unsigned char* at = cells_.data() + slot * CellSize;
        std::memcpy(at, &id, sizeof id);
        at[sizeof(RecordId)] = tag;
    }
    void copyCell(std::size_t to, std::size_t from) {
        std::memcpy(cells_.data() + to * CellSize, cell(from), CellSize);
    }
    std::size_t probe(std::uint64_t hash, std::string_view name) const;
    // Sizes the table for count records, all slots empty.
    void allocate(std::size_t count);
    void place(RecordId id, std::uint64_t hash);

    const RecordStore& records_;
    std::vector<unsigned char> cells_;
    std::size_t slots_ = 0;
    std::size_t count_ = 0;
};

}  // namespace recdb
