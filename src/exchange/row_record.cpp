#include "exchange/row_record.hpp"

#include <algorithm>

#include "exchange/display_text.hpp"
#include "exchange/number.hpp"

namespace recdb {

namespace {

constexpr std::size_t FieldCount = TableColumnNames.size();

// A hint for a header read in the other format.
std::string formatHint(std::span<const TableField> fields, TableFormat format) {
    const auto holds = [&fields](char byte) {
        return std::any_of(fields.begin(), fields.end(),
                           [byte](const TableField& field) { return field.text.find(byte) != std::string::npos; });
    };
    if (format == TableFormat::Csv && holds('\t')) {
        return "; it holds tabs: for TSV give --format tsv";
    }
    if (format == TableFormat::Tsv && holds(',') && fields.size() == 1) {
        return "; it holds commas: for CSV give --format csv";
    }
    return "";
}

std::optional<FieldProblem> findColumns(std::span<const TableField> fields, const ColumnChoice& choice,
                                        ColumnLayout& layout) {
    for (std::size_t f = 0; f < FieldCount; ++f) {
        const std::string& header = choice.headers[f];
        const auto matches = [&header](const TableField& field) { return !field.absent && field.text == header; };
        const auto first = std::find_if(fields.begin(), fields.end(), matches);
        const auto field = static_cast<TableColumn>(f);
        if (first == fields.end()) {
            if (field == TableColumn::Info && !choice.infoAskedFor) {
                continue;
            }
            std::string reason = "the header has no column " + displayText(header);
            if (header == columnName(field)) {
                reason.append("; --map ")
                    .append(columnName(field))
                    .append("=COLUMN takes the ")
                    .append(columnName(field));
                reason.append(" from another column");
            } else {
                reason.append(" (--map ").append(columnName(field)).append("=").append(header).append(")");
            }
            return FieldProblem{0, reason};
        }
        if (const auto again = std::find_if(first + 1, fields.end(), matches); again != fields.end()) {
            return FieldProblem{static_cast<std::size_t>(again - fields.begin()) + 1,
                                "the header names the column " + displayText(header) + " twice"};
        }
        layout.places[f] = static_cast<std::size_t>(first - fields.begin());
    }
    return std::nullopt;
}

std::optional<FieldProblem> otherColumn(std::span<const TableField> fields, const ColumnLayout& layout) {
    for (std::size_t column = 1; column <= fields.size(); ++column) {
        if (!layout.fieldAt(column)) {
            const TableField& field = fields[column - 1];
            return FieldProblem{column, "the header has " +
                                            (field.absent ? "an empty column" : displayText(field.text)) +
                                            ", which no field takes (--ignore-other-columns passes over such columns)"};
        }
    }
    return std::nullopt;
}

// An empty field: "the group is empty".
std::optional<FieldProblem> emptyValue(const TableField& field, std::size_t column, std::string_view name) {
    if (field.text.empty()) {
        return FieldProblem{column, "the " + std::string(name) + " is empty"};
    }
    return std::nullopt;
}

}  // namespace

std::optional<TableColumn> ColumnLayout::fieldAt(std::size_t column) const {
    for (std::size_t f = 0; f < FieldCount; ++f) {
        if (places[f] && *places[f] + 1 == column) {
            return static_cast<TableColumn>(f);
        }
    }
    return std::nullopt;
}

std::optional<FieldProblem> readHeader(std::span<const TableField> fields, const ColumnChoice& choice,
                                       TableFormat format, ColumnLayout& layout) {
    layout = {};
    layout.count = fields.size();
    auto problem = findColumns(fields, choice, layout);
    if (!problem && !choice.ignoreOthers) {
        problem = otherColumn(fields, layout);
    }
    if (problem) {
        problem->reason += formatHint(fields, format);
    }
    return problem;
}

std::optional<FieldProblem> readRow(std::span<const TableField> fields, const ColumnLayout& layout,
                                    RecordView& record) {
    if (fields.size() != layout.count) {
        return FieldProblem{std::min(fields.size(), layout.count) + 1, "the row has " + std::to_string(fields.size()) +
                                                                           " fields where the header has " +
                                                                           std::to_string(layout.count)};
    }
    const auto place = [&layout](TableColumn field) { return *layout.places[static_cast<std::size_t>(field)]; };
    const std::size_t nameAt = place(TableColumn::Name);
    const std::string& name = fields[nameAt].text;
    if (auto empty = emptyValue(fields[nameAt], nameAt + 1, "name")) {
        return empty;
    }
    if (name.size() > MaxNameLength) {
        return FieldProblem{nameAt + 1, "the name has " + std::to_string(name.size()) + " bytes, more than " +
                                            std::to_string(MaxNameLength)};
    }
    if (name.find('\0') != std::string::npos) {
        return FieldProblem{nameAt + 1, "the name holds a zero byte"};
    }
    const std::size_t groupAt = place(TableColumn::Group);
    const auto group = readWholeNumber(fields[groupAt].text);
    if (!group) {
        if (auto empty = emptyValue(fields[groupAt], groupAt + 1, "group")) {
            return empty;
        }
        return FieldProblem{groupAt + 1,
                            "the group " + displayText(fields[groupAt].text) + " is not a whole number of 32 bits"};
    }
    const std::size_t ratingAt = place(TableColumn::Rating);
    const auto rating = readRating(fields[ratingAt].text);
    if (!rating) {
        if (auto empty = emptyValue(fields[ratingAt], ratingAt + 1, "rating")) {
            return empty;
        }
        return FieldProblem{ratingAt + 1, "the rating " + displayText(fields[ratingAt].text) +
                                              " is not two whole numbers of 32 bits joined by a point"};
    }
    record.name = name;
    record.group = *group;
    record.ratingNum = rating->num;
    record.ratingDen = rating->den;
    record.info.reset();
    if (const auto infoAt = layout.places[static_cast<std::size_t>(TableColumn::Info)];
        infoAt && !fields[*infoAt].absent) {
        if (fields[*infoAt].text.find('\0') != std::string::npos) {
            return FieldProblem{*infoAt + 1, "the info holds a zero byte"};
        }
        record.info = std::string_view(fields[*infoAt].text);
    }
    return std::nullopt;
}

}  // namespace recdb
