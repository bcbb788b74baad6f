#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "file_tool/tool_status.hpp"
#include "store/record.hpp"

namespace recdb {

// A stretch of a damaged file that salvage passes over.
struct SkippedStretch {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// Goes through the bytes of a database file and hands on, in file order,
// every record that can be read soundly: a name length in 0..63, the whole
// record present, texts without zero bytes. A record with an empty name or
// an info length below -1 (which a load takes, but which damage makes too)
// is kept only when a sound record or the end of the file follows it.
//
// After a bad stretch, the search goes forward for the next offset from
// which four records in a row are sound, with names of at least one byte
// and info lengths of at least -1, each ending exactly where the next begins
// (or fewer that end exactly at the end of the file), and goes on from
// there. A length field that damage made larger cannot hide the records
// after it: their own length fields hold zero bytes, which make the
// swallowing record's info unsound.
void scanRecords(std::string_view bytes, const std::function<void(const RecordView&)>& keep,
                 const std::function<void(const SkippedStretch&)>& skip);

// recdb-file salvage: writes to output every record of input that
// scanRecords keeps, as a database store writes a file, and reports on out
// each skipped stretch and the records kept. Refuses an output that is the
// input itself. The input is held in memory whole, for the search. The
// status is 1 when anything was skipped, 2 when a file cannot be read or
// written (said on err); the records kept are counted when OUTPUT was
// written.
ToolOutcome salvageFile(const std::string& input, const std::string& output, std::ostream& out, std::ostream& err);

}  // namespace recdb
