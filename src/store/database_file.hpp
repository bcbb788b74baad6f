#pragma once

#include <string>

#include "io/progress.hpp"
#include "store/database.hpp"

namespace recdb {

// The database file: records back to back, no header. Per record, with all
// integers signed 32-bit little-endian: name length L (0..63), L name bytes,
// group, ratingNum, ratingDen, info length M (-1 when there is no info), and
// M info bytes when M >= 0.

enum class StoreOutcome {
    Stored,
    Empty,        // the database is empty; nothing was touched
    CannotOpen,   // the file cannot be made or opened for writing
    WriteFailed,  // writing or flushing failed; an existing file is as it was
};

// Writes every record in list order (see io::writeFile for how the file is
// replaced), telling progress how many are written.
[[nodiscard]] StoreOutcome store(const Database& database, const std::string& fileName,
                                 io::ProgressReporter& progress = io::noProgress());

enum class LoadOutcome {
    Loaded,
    CannotRead,  // the file cannot be opened or read
    OutOfMemory,
    BadNameLength,  // a name length outside 0..63
};

// Empties the database, then files the file's records as insert does, in
// file order, repeated names included. Data that ends inside a record keeps
// the records before it. After a failure the database must be cleared.
// Progress is told of each phase: counting the records, reading them and
// building the indexes.
[[nodiscard]] LoadOutcome load(Database& database, const std::string& fileName,
                               io::ProgressReporter& progress = io::noProgress());

}  // namespace recdb
