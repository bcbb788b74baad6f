#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <cstdint>
#include <string>
#include <vector>

#ifdef _WIN32
// The POSIX names that Windows lacks, with the meanings that the Windows
// calls below give them: a handle that child processes do not inherit, a
// directory opened to be flushed, and a symbolic link.
#define O_CLOEXEC _O_NOINHERIT
#define O_DIRECTORY 0x2000
#define S_IFLNK 0xA000
#define S_ISLNK(mode) (((mode)&S_IFMT) == S_IFLNK)
#endif

namespace recdb::io {

#ifdef _WIN32
// What stat tells of a file. On Windows the C library's struct stat holds
// 32-bit sizes and 16-bit file numbers: here the size has 64 bits, st_dev
// is the volume's serial number and st_ino the file's 64-bit index, so that
// two names of one file compare equal.
struct FileStatus {
    unsigned st_mode = 0;
    std::uint64_t st_dev = 0;
    std::uint64_t st_ino = 0;
    std::int64_t st_size = 0;
};
#else
using FileStatus = struct stat;
#endif

// The file system calls that reading and writing files make, behind one
// interface, so that tests can make any one of them fail. Each has the
// meaning, result and errno of the POSIX call of the same name; paths are
// the bytes given, which Windows reads as UTF-8 (a path that is not UTF-8
// cannot be opened there: EILSEQ). On Windows readlink gives the whole path
// of the file that a link leads to in the end. listDirectory stands for
// opendir, readdir and closedir: it gives the names in a directory, "." and
// ".." left out, in no order; 0, or -1 with errno.
class SystemCalls {
public:
    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t read(int fd, void* buffer, size_t size);
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual int fsync(int fd);
    virtual std::int64_t lseek(int fd, std::int64_t offset, int whence);
    virtual int close(int fd);
    virtual int fstat(int fd, FileStatus* info);
    virtual int stat(const char* path, FileStatus* info);
    virtual int lstat(const char* path, FileStatus* info);
    virtual ssize_t readlink(const char* path, char* buffer, size_t size);
    virtual int fchmod(int fd, mode_t mode);
    virtual int rename(const char* from, const char* to);
    virtual int link(const char* from, const char* to);
    virtual int unlink(const char* path);
    virtual int listDirectory(const char* path, std::vector<std::string>& names);

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
