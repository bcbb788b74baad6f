#pragma once

#include <cstdint>
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

// A store's outcome and, after CannotOpen or WriteFailed, the system's error
// number that tells why (ENOMEM when memory ran out). It compares equal to
// its outcome, which is all that most callers look at.
struct StoreResult {
    StoreOutcome outcome = StoreOutcome::Stored;
    int error = 0;

    bool operator==(StoreOutcome other) const { return outcome == other; }
};

// Writes every record in list order (see io::writeFile for how the file is
// replaced), telling progress how many are written.
[[nodiscard]] StoreResult store(const Database& database, const std::string& fileName,
                                io::ProgressReporter& progress = io::noProgress());

enum class LoadOutcome {
    Loaded,
    CannotRead,  // the file cannot be opened or read
    OutOfMemory,
    BadNameLength,  // a name length outside 0..63
};

// A load's outcome and why it failed: after CannotRead or OutOfMemory the
// system's error number; after BadNameLength the record where the file stops
// being a database file (its number from 1 and its byte offset) and the name
// length it gives. It compares equal to its outcome.
struct LoadResult {
    LoadOutcome outcome = LoadOutcome::Loaded;
    int error = 0;
    std::uint64_t record = 0;
    std::uint64_t offset = 0;
    std::int32_t nameLength = 0;

    bool operator==(LoadOutcome other) const { return outcome == other; }
};

// Empties the database, then files the file's records as insert does, in
// file order, repeated names included. Data that ends inside a record keeps
// the records before it. After a failure the database must be cleared.
// Progress is told of each phase: reading the file (in bytes, as the records
// are not counted ahead) and building each index.
[[nodiscard]] LoadResult load(Database& database, const std::string& fileName,
                              io::ProgressReporter& progress = io::noProgress());

}  // namespace recdb
