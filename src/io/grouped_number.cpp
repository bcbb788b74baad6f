#include "io/grouped_number.hpp"

#include <charconv>

namespace recdb::io {

void appendGrouped(std::string& text, std::uint64_t number) {
    char digits[20];
    const auto written = std::to_chars(digits, digits + sizeof digits, number);
    const auto count = static_cast<std::size_t>(written.ptr - digits);
    for (std::size_t k = 0; k < count; ++k) {
        if (k > 0 && (count - k) % 3 == 0) {
            text += ',';
        }
        text += digits[k];
    }
}

}  // namespace recdb::io
