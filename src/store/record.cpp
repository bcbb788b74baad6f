#include "store/record.hpp"

#include <algorithm>
#include <cstring>

namespace recdb {

std::string_view storedName(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    return text.substr(0, MaxNameLength);
}

std::string_view Record::nameView() const { return {name.data(), ::strnlen(name.data(), name.size())}; }

void Record::setName(std::string_view text) {
    const std::string_view stored = storedName(text);
    std::copy(stored.begin(), stored.end(), name.begin());
    name[stored.size()] = '\0';
}

void Record::clear() {
    name[0] = '\0';
    group = 0;
    ratingNum = 0;
    ratingDen = 0;
    info.reset();
}

RecordView Record::view() const {
    RecordView fields{nameView(), group, ratingNum, ratingDen, std::nullopt};
    if (info) {
        fields.info = std::string_view(*info);
    }
    return fields;
}

}  // namespace recdb
