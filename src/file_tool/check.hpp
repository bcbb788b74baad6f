#pragma once

#include <ostream>
#include <string>

#include "file_tool/name_tally.hpp"

namespace recdb {

// How check counts repeated names: within a budget of bytes (see
// NameTally), with the names' hashes cut to hashBits (tests cut them short).
struct CheckLimits {
    std::size_t budget = NameTally::Budget;
    int hashBits = 64;
};

// recdb-file check: reads a database file exactly as a load does and writes
// one line per finding to out, each with the record's number (from 1) and
// byte offset, then a line that sums up. Problems, which a load would not
// take as they stand: a name length outside 0..63 (the load refuses the
// whole file, and reading stops there), data that ends inside a record (the
// load drops it), a zero byte inside a name or an info (the load cuts the
// text there). Notes: an empty name, an info length below -1, names that
// occur more than once. Findings beyond the first hundred are counted, not
// listed. A file is read front to back once while its names fit NameTally's
// budget, else again for the names that may repeat, in bounded memory; a
// pipe is read once, its names held whole. Returns the
// exit status: problems give 1, a file that cannot be read 2 (said on err).
int checkFile(const std::string& path, std::ostream& out, std::ostream& err, const CheckLimits& limits = {});

}  // namespace recdb
