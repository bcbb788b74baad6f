#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace recdb {

enum class ExportFormat : std::uint8_t { Csv, Tsv, Jsonl };

struct ExportRequest {
    std::string file;
    std::optional<std::string> output;  // standard output when none
    ExportFormat format = ExportFormat::Csv;
};

// recdb-file export: streams the records of a database file, in file order
// and as a load reads them, into CSV, TSV or JSON Lines (see CsvWriter,
// TsvWriter, JsonlWriter), in constant memory. A file that a load refuses
// whole (a bad name length) gives no output at all where the file can be
// read twice, and never replaces an output file. Warnings go to err: data
// that ends inside a record, zero bytes in texts (the texts are exported cut,
// as they load), empty names (which import refuses), bytes that are not
// UTF-8 in JSON. Returns the exit status: 1 for problems of the file, 2 when
// a file cannot be read or written.
int exportFile(const ExportRequest& request, std::ostream& err);

}  // namespace recdb
