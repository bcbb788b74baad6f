#include "store/record.hpp"

#include <algorithm>
#include <cstring>

namespace recdb {

std::string_view Record::nameView() const {
    return {name.data(), ::strnlen(name.data(), name.size())};
}

void Record::setName(std::string_view text) {
    const std::size_t terminator = text.find('\0');
    if (terminator != std::string_view::npos) {
        text = text.substr(0, terminator);
    }
    const std::size_t length = std::min(text.size(), MaxNameLength);
    std::copy_n(text.data(), length, name.data());
    name[length] = '\0';
}

void Record::clear() {
    name[0] = '\0';
    group = 0;
    ratingNum = 0;
    ratingDen = 0;
    info.reset();
}

}  // namespace recdb
