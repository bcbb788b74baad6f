#include "exchange/number.hpp"

#include <charconv>

namespace recdb {

std::optional<std::int32_t> readWholeNumber(std::string_view text) {
    // from_chars takes a minus sign but not a plus sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<Rating> readRating(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos) {
        return std::nullopt;
    }
    const auto num = readWholeNumber(text.substr(0, point));
    const auto den = readWholeNumber(text.substr(point + 1));
    if (!num || !den) {
        return std::nullopt;
    }
    return Rating{*num, *den};
}

}  // namespace recdb
