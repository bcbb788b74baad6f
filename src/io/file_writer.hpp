#pragma once

#include <functional>
#include <string>

#include "io/output_file.hpp"

namespace recdb::io {

enum class WriteOutcome {
    Written,
    CannotOpen,  // the file cannot be made or opened for writing; nothing changed
    Failed,      // writing, flushing or renaming failed; nothing changed
};

// Writes a file with fill, which writes its content (and may throw, which
// changes nothing either). A regular file, new or existing, is written under
// a temporary name beside its target, flushed to the disk, and renamed over
// the target only when complete; the directory is flushed after, and should
// that fail the old file is put back. So a failure leaves an existing file as
// it was. Symbolic links are followed to the file they name (a dangling link
// creates its target); an existing file keeps its permission bits, and one
// that the caller could not open for writing is refused. A directory that
// cannot be written is refused too: the file is never rewritten in place.
// Devices and pipes are written directly. Text is written with the system's
// line ends (see Content). After a failure errno holds the system's error
// number of the call that failed (EISDIR for a directory, ELOOP for a loop of
// links, ENOENT for an empty path).
[[nodiscard]] WriteOutcome writeFile(const std::string& path, const std::function<void(OutputFile&)>& fill,
                                     Content content = Content::Binary);

}  // namespace recdb::io
