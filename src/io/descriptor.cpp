#include "io/descriptor.hpp"

#include <cerrno>

#include "io/system_calls.hpp"

namespace recdb::io {

ssize_t readSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = systemCalls().read(fd, buffer, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = systemCalls().write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool Descriptor::close() {
    const int fd = fd_;
    fd_ = -1;
    return systemCalls().close(fd) == 0;
}

void Descriptor::reset(int fd) {
    if (fd_ >= 0) {
        systemCalls().close(fd_);
    }
    fd_ = fd;
}

}  // namespace recdb::io
