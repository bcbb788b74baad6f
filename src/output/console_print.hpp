#pragma once

#include "output/fields.hpp"
#include "output/print_outcome.hpp"
#include "output/text_sink.hpp"
#include "selection/selection.hpp"

namespace recdb {

// Sorts the selection by the sort key (the new order stays), then writes one
// line " > " and the chosen fields per record.
[[nodiscard]] PrintOutcome printSelection(const RecordStore& records, Selection& selection, FieldSet fields,
                                          SortKey sortKey, TextSink& out);

}  // namespace recdb
