#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/row_record.hpp"
#include "file_tool/export_file.hpp"

namespace recdb {

// What recdb-file's command line means beyond what CLI11 reads.

// The format that a file name stands for: a name ending in .tsv TSV, in
// .jsonl JSON Lines, any other CSV (the case of the ending does not count).
ExportFormat formatOfName(std::string_view path);

// Reads --map FIELD=COLUMN words into choice; the reason when one is wrong
// (an unknown field, a field given twice, no "=").
std::optional<std::string> readColumnMaps(const std::vector<std::string>& maps, ColumnChoice& choice);

// The order of --sort name, group or rating.
RecordOrder orderOfName(std::string_view name);

}  // namespace recdb
