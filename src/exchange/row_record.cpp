#include "exchange/row_record.hpp"

#include <array>
#include <string_view>

#include "exchange/display_text.hpp"
#include "exchange/number.hpp"

namespace recdb {

namespace {

constexpr std::array<std::string_view, 4> ColumnNames = {"name", "group", "rating", "info"};

std::string shown(const TableField& field) { return field.absent ? "no value" : displayText(field.text); }

}  // namespace

std::optional<FieldProblem> readHeader(std::span<const TableField> fields, bool& hasInfo) {
    const std::size_t count = fields.size();
    for (std::size_t k = 0; k < count && k < ColumnNames.size(); ++k) {
        if (fields[k].text != ColumnNames[k]) {
            return FieldProblem{k + 1, "the header has " + shown(fields[k]) + " where it must have \"" +
                                           std::string(ColumnNames[k]) + "\""};
        }
    }
    if (count < 3) {
        return FieldProblem{count + 1, "the header must name the columns name, group, rating and, if any, info"};
    }
    hasInfo = count == 4;
    return std::nullopt;
}

std::optional<FieldProblem> readRow(std::span<const TableField> fields, bool hasInfo, RecordView& record) {
    const std::size_t expected = hasInfo ? 4 : 3;
    if (fields.size() != expected) {
        return FieldProblem{std::min(fields.size(), expected) + 1, "the row has " + std::to_string(fields.size()) +
                                                                       " fields where the header has " +
                                                                       std::to_string(expected)};
    }
    const std::string& name = fields[0].text;
    if (name.empty()) {
        return FieldProblem{1, "the name is empty"};
    }
    if (name.size() > MaxNameLength) {
        return FieldProblem{1, "the name has " + std::to_string(name.size()) + " bytes, more than 63"};
    }
    if (name.find('\0') != std::string::npos) {
        return FieldProblem{1, "the name holds a zero byte"};
    }
    const auto group = readWholeNumber(fields[1].text);
    if (!group || fields[1].absent) {
        return FieldProblem{2, "the group " + shown(fields[1]) + " is not a whole number of 32 bits"};
    }
    const auto rating = readRating(fields[2].text);
    if (!rating) {
        return FieldProblem{
            3, "the rating " + shown(fields[2]) + " is not two whole numbers of 32 bits joined by a point"};
    }
    record.name = name;
    record.group = *group;
    record.ratingNum = rating->num;
    record.ratingDen = rating->den;
    record.info.reset();
    if (hasInfo && !fields[3].absent) {
        if (fields[3].text.find('\0') != std::string::npos) {
            return FieldProblem{4, "the info holds a zero byte"};
        }
        record.info = std::string_view(fields[3].text);
    }
    return std::nullopt;
}

}  // namespace recdb
