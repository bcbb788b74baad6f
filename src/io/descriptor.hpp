#pragma once

#include <sys/types.h>
#include <cstddef>
#include <string_view>

namespace recdb::io {

// Reads up to size bytes, again when a signal interrupts the call: the count
// read, 0 at the end of the data, -1 on an error.
ssize_t readSome(int fd, char* buffer, std::size_t size);

// Writes every byte, again after a signal or a short write: false on an
// error (errno tells which).
bool writeAll(int fd, const char* data, std::size_t size);

// Writes text with each line feed written as lineEnd, through a buffer of
// its own on the stack: false on an error (errno tells which).
bool writeLines(int fd, const char* data, std::size_t size, std::string_view lineEnd);

// An open descriptor, closed when it goes unless closed before.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Closes the descriptor; false when closing reported an error.
    [[nodiscard]] bool close();
    // Closes the descriptor held, if any, ignoring errors, and holds fd.
    void reset(int fd = -1);

private:
    int fd_;
};

}  // namespace recdb::io
