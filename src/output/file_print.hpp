#pragma once

#include <string>

#include "io/progress.hpp"
#include "output/fields.hpp"
#include "output/print_outcome.hpp"
#include "selection/selection.hpp"

namespace recdb {

// Writes the selection into a file as tab-separated text lines or as an HTML
// page with a table, after sorting it by the sort key as the console listing
// does (only once the file could be opened: a report that cannot be opened
// leaves the order as it was). Record texts are written unescaped. The file
// is replaced as io::writeFile replaces files. Progress is told of the sort
// and of the records written.
[[nodiscard]] PrintResult filePrintSelection(const std::string& fileName, PrintType printType,
                                             const RecordStore& records, Selection& selection, FieldSet fields,
                                             SortKey sortKey, io::ProgressReporter& progress = io::noProgress());

}  // namespace recdb
