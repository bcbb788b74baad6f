#include "output/record_format.hpp"

#include <charconv>

namespace recdb {

void appendNumber(std::string& out, std::int32_t value) {
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void appendRecordFields(std::string& out, const RecordStore& records, RecordId id, FieldSet fields) {
    if ((fields & NameField) != 0) {
        out += records.name(id);
        out += '\t';
    }
    if ((fields & GroupField) != 0) {
        appendNumber(out, records.group(id));
        out += '\t';
    }
    if ((fields & RatingField) != 0) {
        appendNumber(out, records.ratingNum(id));
        out += '.';
        appendNumber(out, records.ratingDen(id));
        out += '\t';
    }
    if ((fields & InfoField) != 0) {
        if (const auto info = records.info(id)) {
            out += *info;
        }
    }
}

}  // namespace recdb
