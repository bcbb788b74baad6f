#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "order/record_id.hpp"

namespace recdb {

// The fields of a record without owning them.
struct RecordView {
    std::string_view name;
    std::int32_t group = 0;
    std::int32_t ratingNum = 0;
    std::int32_t ratingDen = 0;
    std::optional<std::string_view> info;
};

// One database entry, a plain value. The name is a NUL-terminated text of at
// most 63 bytes in a fixed 64-byte field; the rating is the pair
// ratingNum.ratingDen (not a decimal number); an absent info differs from an
// empty one. Copies are deep.
struct Record {
    std::array<char, MaxNameLength + 1> name{};
    std::int32_t group = 0;
    std::int32_t ratingNum = 0;
    std::int32_t ratingDen = 0;
    std::optional<std::string> info;

    // The name up to its terminator.
    std::string_view nameView() const;
    // Stores the first 63 bytes of text, cut at an embedded NUL byte.
    void setName(std::string_view text);
    // Empty name, zero numbers, absent info.
    void clear();
    RecordView view() const;
};

// A name as a record holds it: cut at its first NUL byte and to 63 bytes.
std::string_view storedName(std::string_view text);

}  // namespace recdb
