#pragma once

#include <cstddef>
#include <string_view>

#include "order/index_key.hpp"
#include "order/record_id.hpp"

namespace recdb {

// What an ordered index knows of the records it files, all by record
// number: each record's inline key (or its rating alone, cheaper to read)
// and full name (at most MaxNameLength bytes), and one past the highest
// number in use (the index sizes its node array by it). The records belong
// to the caller, who keeps a filed record's key and name unchanged until it
// is taken out of the index.
class RecordKeys {
public:
    virtual std::string_view nameOf(RecordId id) const = 0;
    virtual IndexKey keyOf(RecordId id) const = 0;
    // The rating pair of keyOf(id), without the name.
    virtual IndexKey ratingOf(RecordId id) const = 0;
    virtual std::size_t idLimit() const = 0;

protected:
    ~RecordKeys() = default;
};

}  // namespace recdb
