#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

namespace recdb {

// The decimal text of a 32-bit number, or of a rating as num.den, held in
// place without allocating.
class NumberText {
public:
    explicit NumberText(std::int32_t value) : size_(length(std::to_chars(digits_, digits_ + Width, value).ptr)) {}
    NumberText(std::int32_t ratingNum, std::int32_t ratingDen) {
        char* end = std::to_chars(digits_, digits_ + Width, ratingNum).ptr;
        *end = '.';
        size_ = length(std::to_chars(end + 1, end + 1 + Width, ratingDen).ptr);
    }

    std::string_view view() const { return {digits_, size_}; }

private:
    static constexpr std::size_t Width = 11;  // "-2147483648"

    std::size_t length(const char* end) const { return static_cast<std::size_t>(end - digits_); }

    char digits_[2 * Width + 1] = {};
    std::size_t size_ = 0;
};

}  // namespace recdb
