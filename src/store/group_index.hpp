#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/record_ref_list.hpp"

namespace recdb {

// One group of the index: the references to its records in the order in
// which they were filed. An entry exists only while its list holds at least
// one reference.
struct GroupEntry {
    std::int32_t group = 0;
    RecordRefList records;
};

// The decimal text of a group number without leading zeros, "-" before a
// negative number, and the empty text for 0.
std::string groupKeyText(std::int32_t group);

// The bucket 0..255 of a key text: h = h * 31 + byte over the bytes taken as
// signed values, wrapping, then the low 8 bits.
std::uint8_t groupHash(std::string_view keyText);

// Hash index of the records by group: 256 fixed buckets, a group's bucket
// being the groupHash of its groupKeyText. Inside a bucket the entries are
// ordered by group number, so that a lookup costs a logarithm of the
// bucket's size however many groups exist, and a group range visits only the
// groups that exist instead of every number of the range.
class GroupIndex {
public:
    static constexpr std::size_t BucketCount = 256;

    // The entry of a group, or null.
    const GroupEntry* find(std::int32_t group) const;
    GroupEntry* find(std::int32_t group) {
        return const_cast<GroupEntry*>(std::as_const(*this).find(group));
    }
    // Files a new, empty entry for a group that has none yet.
    GroupEntry* add(std::int32_t group);
    // Takes an entry out of its bucket and frees it with its reference list.
    void remove(GroupEntry* entry);
    void clear();

    std::size_t bucketSize(std::uint8_t bucket) const { return buckets_[bucket].size(); }

    // The entries of the existing groups in low..high, ascending; none when
    // low > high.
    std::vector<const GroupEntry*> entriesInRange(std::int32_t low, std::int32_t high) const;

private:
    using Bucket = std::map<std::int32_t, GroupEntry>;

    static std::uint8_t bucketOf(std::int32_t group) { return groupHash(groupKeyText(group)); }

    std::array<Bucket, BucketCount> buckets_;
};

}  // namespace recdb
