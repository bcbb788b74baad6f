#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace recdb::io {

// The file system calls that reading and writing files make, behind one
// interface, so that tests can make any one of them fail. Each has the
// meaning, result and errno of the POSIX call of the same name.
class SystemCalls {
public:
    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t read(int fd, void* buffer, size_t size);
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual int fsync(int fd);
    virtual off_t lseek(int fd, off_t offset, int whence);
    virtual int close(int fd);
    virtual int fstat(int fd, struct stat* info);
    virtual int stat(const char* path, struct stat* info);
    virtual int lstat(const char* path, struct stat* info);
    virtual ssize_t readlink(const char* path, char* buffer, size_t size);
    virtual int fchmod(int fd, mode_t mode);
    virtual int rename(const char* from, const char* to);
    virtual int link(const char* from, const char* to);
    virtual int unlink(const char* path);

protected:
    ~SystemCalls() = default;
};

// The calls in use: the real ones, unless a test put others in place.
SystemCalls& systemCalls();

// Puts other calls in place for as long as it lives.
class SystemCallsOverride {
public:
    explicit SystemCallsOverride(SystemCalls& calls);
    ~SystemCallsOverride();
    SystemCallsOverride(const SystemCallsOverride&) = delete;
    SystemCallsOverride& operator=(const SystemCallsOverride&) = delete;

private:
    SystemCalls* previous_;
};

}  // namespace recdb::io
