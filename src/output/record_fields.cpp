#include "output/record_fields.hpp"

#include <charconv>

#include "selection/sort.hpp"

namespace recdb {

void appendNumber(std::string& out, std::int32_t value) {
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void appendRecordFields(std::string& out, const Record& record, FieldSet fields) {
    if (fields & NameField) {
        out += record.nameView();
        out += '\t';
    }
    if (fields & GroupField) {
        appendNumber(out, record.group);
        out += '\t';
    }
    if (fields & RatingField) {
        appendNumber(out, record.ratingNum);
        out += '.';
        appendNumber(out, record.ratingDen);
        out += '\t';
    }
    if ((fields & InfoField) && record.info) {
        out += *record.info;
    }
}

void sortBySortKey(Selection& selection, SortKey sortKey) {
    if (sortKey & NameField) {
        sort(selection.entries, RecordOrder::ByName);
    } else if (sortKey & GroupField) {
        sort(selection.entries, RecordOrder::ByGroup);
    } else if (sortKey & RatingField) {
        sort(selection.entries, RecordOrder::ByRating);
    }
}

}  // namespace recdb
