#pragma once

#include <ostream>
#include <string>

#include "exchange/table_reader.hpp"

namespace recdb {

struct ImportRequest {
    std::string input;
    std::string output;
    TableFormat format = TableFormat::Csv;
};

// recdb-file import: reads CSV or TSV as export writes it (see TableReader;
// the header names the columns name, group, rating and, if present, info)
// and writes the rows, in their order, as a database file, streaming them
// into the output as a database store writes it. Every refused row is told
// on err with its line, column and reason (the first hundred, then a
// count); when any is refused nothing is written and an existing output
// stays as it was. Repeated names are kept, as a load keeps them, and
// counted in a warning. Memory grows only with the names (to find repeated
// ones). Returns the exit status: 1 when rows were refused, 2 when a file
// cannot be read or written.
int importFile(const ImportRequest& request, std::ostream& err);

}  // namespace recdb
