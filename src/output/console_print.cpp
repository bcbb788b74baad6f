#include "output/console_print.hpp"

#include <new>
#include <string>

#include "output/print_order.hpp"
#include "output/record_format.hpp"

namespace recdb {

PrintOutcome printSelection(const RecordStore& records, Selection& selection, FieldSet fields, SortKey sortKey,
                            TextSink& out) {
    if (!sortForListing(records, selection, sortKey)) {
        return PrintOutcome::OutOfMemory;
    }
    try {
        std::string line;
        forEachRecord(records, selection.records, [&](RecordId id) {
            line.assign(" > ");
            appendRecordFields(line, records, id, fields);
            line += '\n';
            out.writeLine(line);
        });
        return PrintOutcome::Printed;
    } catch (const std::bad_alloc&) {
        return PrintOutcome::OutOfMemory;
    }
}

}  // namespace recdb
