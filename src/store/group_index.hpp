#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "store/record_ref_list.hpp"
#include "store/ring.hpp"

namespace recdb {

// One group of the index: its key text and the references to its records in
// the order in which they were filed. An entry exists only while its list
// holds at least one reference.
struct GroupEntry : RingLink {
    std::int32_t group = 0;
    std::string keyText;
    RecordRefList records;
};

// The decimal text of a group number without leading zeros, "-" before a
// negative number, and the empty text for 0.
std::string groupKeyText(std::int32_t group);

// The bucket 0..255 of a key text: h = h * 31 + byte over the bytes taken as
// signed values, wrapping, then the low 8 bits.
std::uint8_t groupHash(std::string_view keyText);

// Hash index of the records by group: 256 fixed buckets of entries chained in
// the order of filing, keyed by groupKeyText. Beside the buckets it keeps the
// existing groups in ascending order, so that a group range visits only the
// groups that exist instead of every number of the range.
class GroupIndex {
public:
    static constexpr std::size_t BucketCount = 256;

    GroupIndex() = default;
    GroupIndex(const GroupIndex&) = delete;
    GroupIndex& operator=(const GroupIndex&) = delete;
    ~GroupIndex();

    // The entry whose key is exactly keyText, searched in its bucket; or null.
    GroupEntry* find(std::string_view keyText) const;
    // Files a new, empty entry for a group that has none yet.
    GroupEntry* add(std::int32_t group);
    // Takes an entry out of its bucket and frees it with its reference list.
    void remove(GroupEntry* entry);
    void clear();

    std::size_t bucketSize(std::uint8_t bucket) const { return buckets_[bucket].size(); }

    // Calls visit(const GroupEntry&) for each existing group in low..high,
    // ascending; nothing when low > high.
    template <typename Visit>
    void forEachEntryInRange(std::int32_t low, std::int32_t high, Visit visit) const {
        if (low > high) {
            return;
        }
        for (auto it = byGroup_.lower_bound(low); it != byGroup_.end() && it->first <= high; ++it) {
            visit(static_cast<const GroupEntry&>(*it->second));
        }
    }

private:
    std::array<Ring<GroupEntry>, BucketCount> buckets_;
    std::map<std::int32_t, GroupEntry*> byGroup_;
};

}  // namespace recdb
