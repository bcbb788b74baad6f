#pragma once

#include <cstddef>
#include <functional>

namespace recdb {

// Told, during a bulk filing, how many records are filed so far: every
// BulkProgressStride records, so that it costs nothing to speak of. Empty
// when nobody asks.
using BulkProgress = std::function<void(std::size_t filed)>;
inline constexpr std::size_t BulkProgressStride = std::size_t{1} << 16;

}  // namespace recdb
