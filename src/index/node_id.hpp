#pragma once

#include <cstdint>
#include <limits>

namespace recdb {

// Records and the nodes that stand for them in the indexes are numbered: a
// record's number is also its node number in every index.
using NodeId = std::uint32_t;
inline constexpr NodeId NoNode = std::numeric_limits<NodeId>::max();

}  // namespace recdb
