#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "file_tool/byte_window.hpp"
#include "file_tool/tool_status.hpp"

namespace recdb {

// What salvage holds in memory: the bytes it looks ahead of its place (see
// ByteWindow), and the skipped stretches it keeps for its report, which it
// writes once the output is written; any more are found again then, by
// searching once more from the first of them.
struct SalvageLimits {
    std::size_t reach = ByteWindow::DefaultReach;
    std::size_t listedStretches = std::size_t{1} << 20;
};

// recdb-file salvage: writes to output every record of input that a
// RecordSearch keeps, as a database store writes a file, and reports on out
// each skipped stretch and the records kept. Refuses an output that is the
// input itself. The input is read front to back in a window of bounded size,
// so a file of any size is rescued in the same memory; one that cannot be
// read again (a pipe) is held whole. The status is 1 when anything was
// skipped, 2 when a file cannot be read or written (said on err); the
// records kept are counted when OUTPUT was written.
ToolOutcome salvageFile(const std::string& input, const std::string& output, std::ostream& out, std::ostream& err,
                        const SalvageLimits& limits = {});

}  // namespace recdb
