#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace recdb {

// How the program knows a record: by its number in the record store, which
// every index uses for the record too (an ordered index's node of a record
// is numbered so), and by its name, of at most MaxNameLength bytes.
using RecordId = std::uint32_t;
inline constexpr RecordId NoRecord = std::numeric_limits<RecordId>::max();

inline constexpr std::size_t MaxNameLength = 63;

}  // namespace recdb
