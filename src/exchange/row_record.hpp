#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "exchange/record_fields.hpp"
#include "exchange/table_reader.hpp"
#include "store/record.hpp"

namespace recdb {

// What is wrong with a row, and in which field (from 1; 0 for the row as a
// whole).
struct FieldProblem {
    std::size_t column = 0;
    std::string reason;
};

// Which column of the header each field is taken from.
struct ColumnChoice {
    // The header of each field's column, in the order of TableColumn.
    std::array<std::string, 4> headers{"name", "group", "rating", "info"};
    // The info column was asked for by name, so it must be there; otherwise
    // a header without it gives records without info.
    bool infoAskedFor = false;
    // Columns that no field takes are passed over rather than refused.
    bool ignoreOthers = false;
};

// Where the fields stand in every row, as the header gave it.
struct ColumnLayout {
    // The place of each field's column (from 0); info may have none.
    std::array<std::optional<std::size_t>, 4> places{};
    // The number of columns of the header, which every row must have.
    std::size_t count = 0;

    // The field that the column (from 1) feeds, if any.
    std::optional<TableColumn> fieldAt(std::size_t column) const;
};

// Reads the header row: each field's column is found by its header, in any
// order; a column named twice that a field takes is refused, and so is one
// that no field takes unless choice passes over such columns. A header that
// holds tabs when read as CSV (or commas, and no tab, as TSV) is told that
// the other format may fit.
std::optional<FieldProblem> readHeader(std::span<const TableField> fields, const ColumnChoice& choice,
                                       TableFormat format, ColumnLayout& layout);

// A row as a record, read strictly: as many fields as the header; a name of
// 1 to 63 bytes without a zero byte; a group and both rating numbers as whole
// numbers of 32 bits (see readWholeNumber); an info without a zero byte,
// absent when the field has no value or the layout has no info column. The
// record refers to the fields' texts.
std::optional<FieldProblem> readRow(std::span<const TableField> fields, const ColumnLayout& layout, RecordView& record);

}  // namespace recdb
