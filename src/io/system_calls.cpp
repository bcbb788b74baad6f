#include "io/system_calls.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>

namespace recdb::io {

int SystemCalls::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t SystemCalls::read(int fd, void* buffer, size_t size) { return ::read(fd, buffer, size); }
ssize_t SystemCalls::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int SystemCalls::fsync(int fd) { return ::fsync(fd); }
off_t SystemCalls::lseek(int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); }
int SystemCalls::close(int fd) { return ::close(fd); }
int SystemCalls::fstat(int fd, struct stat* info) { return ::fstat(fd, info); }
int SystemCalls::stat(const char* path, struct stat* info) { return ::stat(path, info); }
int SystemCalls::lstat(const char* path, struct stat* info) { return ::lstat(path, info); }
ssize_t SystemCalls::readlink(const char* path, char* buffer, size_t size) { return ::readlink(path, buffer, size); }
int SystemCalls::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int SystemCalls::rename(const char* from, const char* to) { return ::rename(from, to); }
int SystemCalls::link(const char* from, const char* to) { return ::link(from, to); }
int SystemCalls::unlink(const char* path) { return ::unlink(path); }

namespace {

class RealCalls final : public SystemCalls {};

RealCalls realCalls;
SystemCalls* current = &realCalls;

}  // namespace

SystemCalls& systemCalls() { return *current; }

SystemCallsOverride::SystemCallsOverride(SystemCalls& calls) : previous_(current) { current = &calls; }

SystemCallsOverride::~SystemCallsOverride() { current = previous_; }

}  // namespace recdb::io
