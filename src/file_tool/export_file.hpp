#pragma once

#include <optional>
#include <string>
#include <utility>

#include "file_tool/tool_messages.hpp"
#include "file_tool/tool_status.hpp"
#include "selection/sort.hpp"

namespace recdb {

enum class ExportFormat : std::uint8_t { Csv, Tsv, Jsonl };

struct ExportRequest {
    explicit ExportRequest(std::string path, std::optional<std::string> outputPath = std::nullopt,
                           ExportFormat exportFormat = ExportFormat::Csv)
        : file(std::move(path)), output(std::move(outputPath)), format(exportFormat) {}

    std::string file;
    std::optional<std::string> output;  // standard output when none
    ExportFormat format = ExportFormat::Csv;
    // The conditions of a select, read as recdb reads them: only the records
    // that select would find are written.
    std::optional<std::string> where;
    // The order of print ... sort FIELD after that select; file order when
    // none.
    std::optional<RecordOrder> order;
};

// recdb-file export: writes the records of a database file, as a load reads
// them, as CSV, TSV or JSON Lines (see CsvWriter, TsvWriter, JsonlWriter).
// Without an order or an exact name it streams them in file order in
// constant memory; otherwise see SelectedRecords. A file that a load refuses whole
// (a bad name length) gives no output at all where the file can be read
// twice, and never replaces an output file. Told on the way: data that ends
// inside a record, zero bytes in texts (the texts are exported cut, as they
// load), and as warnings empty names (which import refuses) and bytes that
// are not UTF-8 in JSON. The status is 1 for problems of the file, 2 when a
// file cannot be read or written.
ToolOutcome exportFile(const ExportRequest& request, ToolMessages& messages);

}  // namespace recdb
