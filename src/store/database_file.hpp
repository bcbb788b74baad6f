#pragma once

#include <string>

#include "io/progress.hpp"
#include "store/database.hpp"

namespace recdb {

// Storing and loading the database file (its format: record_reader.hpp).

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
// Progress is told of each phase: reading the file (in bytes, as the records
// are not counted ahead) and building each index.
[[nodiscard]] LoadOutcome load(Database& database, const std::string& fileName,
                               io::ProgressReporter& progress = io::noProgress());

}  // namespace recdb
