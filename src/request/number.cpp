#include "request/number.hpp"

namespace recdb {

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::int32_t readNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isWhiteSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::uint32_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<std::int32_t>(value);
}

bool readRatingPair(std::string_view text, std::int32_t& num, std::int32_t& den) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos) {
        return false;
    }
    num = readNumber(text.substr(0, point));
    den = readNumber(text.substr(point + 1));
    return true;
}

}  // namespace recdb
