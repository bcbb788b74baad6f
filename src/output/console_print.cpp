#include "output/console_print.hpp"

#include <string>

#include "output/record_fields.hpp"

namespace recdb {

void printSelection(Selection& selection, FieldSet fields, SortKey sortKey, TextSink& out) {
    sortBySortKey(selection, sortKey);
    std::string line;
    for (const RefNode& ref : selection.entries) {
        line.assign(" > ");
        appendRecordFields(line, ref.record->record, fields);
        line += '\n';
        out.writeLine(line);
    }
}

}  // namespace recdb
