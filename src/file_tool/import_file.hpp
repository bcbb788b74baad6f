#pragma once

#include <string>
#include <utility>

#include "exchange/row_record.hpp"
#include "exchange/table_reader.hpp"
#include "file_tool/tool_messages.hpp"
#include "file_tool/tool_status.hpp"

namespace recdb {

// The most columns a header may have; past that the file is no table of
// records, and each further field would only cost memory.
inline constexpr std::size_t MostImportColumns = 4096;

struct ImportRequest {
    explicit ImportRequest(std::string inputPath, std::string outputPath, TableFormat tableFormat = TableFormat::Csv,
                           ColumnChoice columnChoice = {})
        : input(std::move(inputPath)),
          output(std::move(outputPath)),
          format(tableFormat),
          columns(std::move(columnChoice)) {}

    std::string input;
    std::string output;
    TableFormat format = TableFormat::Csv;
    // Which column each field comes from (see readHeader).
    ColumnChoice columns;
};

// recdb-file import: reads CSV or TSV as export writes it (see TableReader;
// the header names the columns, found by name in any order, see readHeader)
// and writes the rows, in their order, as a database file, streaming them
// into the output as a database store writes it. Every refused row is told
// with its line (and the physical line of the problem where it differs),
// column and reason (the first hundred, then a count); when any is refused
// nothing is written and an existing output stays as it was. Empty lines
// are passed over and counted in a warning. Repeated names are kept, as a
// load keeps them, and counted in a warning, in the bounded memory of
// NameTally where the output can be read again, else in memory that grows
// with the names. The status is 1 when rows were refused, 2
// when a file cannot be read or written.
ToolOutcome importFile(const ImportRequest& request, ToolMessages& messages);

}  // namespace recdb
