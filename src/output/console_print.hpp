#pragma once

#include "output/text_sink.hpp"
#include "request/print_fields.hpp"
#include "selection/selection.hpp"

namespace recdb {

// Sorts the selection by the sort key (the new order stays), then writes one
// line " > " and the chosen fields per record.
void printSelection(Selection& selection, FieldSet fields, SortKey sortKey, TextSink& out);

}  // namespace recdb
