#pragma once

#include <cstdint>
#include <functional>

#include "file_tool/byte_window.hpp"
#include "io/output_file.hpp"

namespace recdb {

// A stretch of a damaged file that salvage passes over.
struct SkippedStretch {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// A record that reads soundly: where it begins, and the bytes it takes.
struct SoundRecord {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
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
//
// Every answer depends only on the bytes from the place asked about onward,
// so a search begun at an offset where an earlier one skipped a stretch
// finds from there what the earlier one found.
class RecordSearch {
public:
    using Keep = std::function<void(const SoundRecord&)>;
    using Skip = std::function<void(const SkippedStretch&)>;

    explicit RecordSearch(ByteWindow& bytes) : bytes_(bytes) {}

    // Searches from offset to the end of the data; returns where it ends.
    std::uint64_t run(std::uint64_t from, const Keep& keep, const Skip& skip);
    // Writes a record that run has just handed on, as a database store
    // writes it.
    void write(const SoundRecord& record, io::OutputFile& out);

private:
    // The size of the record at offset when it is sound, else 0. strict
    // asks also for a name and an info length of at least -1.
    std::uint64_t soundAt(std::uint64_t offset, bool strict);
    std::uint64_t soundPastView(std::uint64_t offset, bool strict);
    std::uint64_t acceptedAt(std::uint64_t offset);
    // Whether a run of sound records starts at offset.
    bool runAt(std::uint64_t offset);
    // The first offset from from on where a run starts, or the end.
    std::uint64_t findRun(std::uint64_t from);

    ByteWindow& bytes_;
};

}  // namespace recdb
