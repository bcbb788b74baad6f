#pragma once

#include <optional>
#include <span>
#include <string>

#include "exchange/table_reader.hpp"
#include "store/record.hpp"

namespace recdb {

// What is wrong with a row, and in which field (from 1).
struct FieldProblem {
    std::size_t column = 0;
    std::string reason;
};

// The header row: name, group, rating and, when the file has one, info, in
// that order and spelt so. Tells whether the info column is there.
std::optional<FieldProblem> readHeader(std::span<const TableField> fields, bool& hasInfo);

// A row as a record, read strictly: a name of 1 to 63 bytes without a zero
// byte; a group and both rating numbers as whole numbers of 32 bits (see
// readWholeNumber); an info without a zero byte, absent when the field has
// no value or the file has no info column. The record refers to the fields'
// texts.
std::optional<FieldProblem> readRow(std::span<const TableField> fields, bool hasInfo, RecordView& record);

}  // namespace recdb
