#pragma once

#include <sys/types.h>
#include <cstddef>

namespace recdb::io {

// Reads up to size bytes, again when a signal interrupts the call: the count
// read, 0 at the end of the data, -1 on an error.
ssize_t readSome(int fd, char* buffer, std::size_t size);

// Writes every byte, again after a signal or a short write: false on an
// error (errno tells which).
bool writeAll(int fd, const char* data, std::size_t size);

}  // namespace recdb::io
