#include "io/descriptor.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

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

bool writeLines(int fd, const char* data, std::size_t size, std::string_view lineEnd) {
    char translated[1 << 14];
    std::size_t used = 0;
    const auto append = [&](const char* bytes, std::size_t count) {
        while (count > 0) {
            if (used == sizeof translated) {
                if (!writeAll(fd, translated, used)) {
                    return false;
                }
                used = 0;
            }
            const std::size_t taken = std::min(count, sizeof translated - used);
            std::memcpy(translated + used, bytes, taken);
            used += taken;
            bytes += taken;
            count -= taken;
        }
        return true;
    };
    const char* const end = data + size;
    while (data != end) {
        const auto* feed = static_cast<const char*>(std::memchr(data, '\n', static_cast<std::size_t>(end - data)));
        const char* const lineEnds = feed != nullptr ? feed : end;
        if (!append(data, static_cast<std::size_t>(lineEnds - data)) ||
            (feed != nullptr && !append(lineEnd.data(), lineEnd.size()))) {
            return false;
        }
        data = feed != nullptr ? feed + 1 : end;
    }
    return used == 0 || writeAll(fd, translated, used);
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
