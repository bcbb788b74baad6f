// The file system calls of POSIX systems (Linux, macOS, the BSDs): each is
// the C library's call of the same name.
#include "io/system_calls.hpp"

#include <dirent.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <string_view>

namespace recdb::io {

int SystemCalls::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t SystemCalls::read(int fd, void* buffer, size_t size) { return ::read(fd, buffer, size); }
ssize_t SystemCalls::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int SystemCalls::fsync(int fd) { return ::fsync(fd); }
std::int64_t SystemCalls::lseek(int fd, std::int64_t offset, int whence) {
    return ::lseek(fd, static_cast<off_t>(offset), whence);
}
int SystemCalls::close(int fd) { return ::close(fd); }
int SystemCalls::fstat(int fd, FileStatus* info) { return ::fstat(fd, info); }
int SystemCalls::stat(const char* path, FileStatus* info) { return ::stat(path, info); }
int SystemCalls::lstat(const char* path, FileStatus* info) { return ::lstat(path, info); }
ssize_t SystemCalls::readlink(const char* path, char* buffer, size_t size) { return ::readlink(path, buffer, size); }
int SystemCalls::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int SystemCalls::rename(const char* from, const char* to) { return ::rename(from, to); }
int SystemCalls::link(const char* from, const char* to) { return ::link(from, to); }
int SystemCalls::unlink(const char* path) { return ::unlink(path); }

int SystemCalls::listDirectory(const char* path, std::vector<std::string>& names) {
    DIR* listing = ::opendir(path);
    if (listing == nullptr) {
        return -1;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    const int error = errno;
    ::closedir(listing);
    errno = error;
    return error == 0 ? 0 : -1;
}

}  // namespace recdb::io
