#pragma once

#include <string>

#include "request/file_arguments.hpp"
#include "request/print_fields.hpp"
#include "selection/selection.hpp"

namespace recdb {

// Writes the selection into a file, created or truncated, as tab-separated
// text lines or as an HTML page with a table, after sorting it by the sort
// key as the console listing does. Record texts are written unescaped.
// 0 done; -2 the file cannot be opened (nothing is sorted then); -3 a write,
// the flush or the close failed.
int filePrintSelection(const std::string& fileName, PrintType printType, Selection& selection, FieldSet fields,
                       SortKey sortKey);

}  // namespace recdb
