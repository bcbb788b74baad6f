// The file system calls on Windows, through the wide Win32 calls: each keeps
// the meaning, result and errno of the POSIX call of its name. Descriptors
// are the C library's, each holding a Windows handle, so that standard
// input, output and error are 0, 1 and 2 as elsewhere.
//
// Files are opened sharing reading, writing and deleting with others, as
// POSIX systems do. A file is replaced by MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH: the rename is on the
// disk when the call returns, so a directory needs no flushing of its own
// (and cannot be flushed: fsync of a directory gives EINVAL).
#include "io/system_calls.hpp"

#include <io.h>
#include <algorithm>
#include <cerrno>

#include "io/utf8.hpp"
#include "io/windows/win32.hpp"

namespace recdb::io {

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A handle closed when it goes.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (isOpen()) {
            CloseHandle(handle_);
        }
    }
    HANDLE get() const { return handle_; }
    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Opens a path to read what stat tells; flags add FILE_FLAG_OPEN_REPARSE_POINT
// for lstat. INVALID_HANDLE_VALUE, with errno set, where it cannot.
HANDLE openForStatus(const char* path, DWORD flags) {
    std::wstring wide;
    if (!win32::widePath(path, wide)) {
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE handle = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        win32::setErrno(GetLastError());
    }
    return handle;
}

bool fileInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION& information) {
    if (GetFileInformationByHandle(handle, &information) == 0) {
        win32::setErrno(GetLastError());
        return false;
    }
    return true;
}

bool isDisk(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

bool isDirectory(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    return GetFileInformationByHandle(handle, &information) != 0 &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The status of an open handle; with linkAsLink, a symbolic link is told
// as one (lstat) rather than as what it leads to.
int statusOf(HANDLE handle, FileStatus* info, bool linkAsLink) {
    *info = FileStatus{};
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
        break;
    case FILE_TYPE_PIPE:
        info->st_mode = S_IFIFO | 0666;
        return 0;
    case FILE_TYPE_CHAR:
        info->st_mode = S_IFCHR | 0666;
        return 0;
    default:
        win32::setErrno(GetLastError() == NO_ERROR ? ERROR_INVALID_HANDLE : GetLastError());
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!fileInformation(handle, information)) {
        return -1;
    }
    const DWORD attributes = information.dwFileAttributes;
    const unsigned writable = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0 : 0222;
    info->st_mode =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? S_IFDIR | 0555 | writable : S_IFREG | 0444 | writable;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (linkAsLink && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) != 0 &&
        tag.ReparseTag == IO_REPARSE_TAG_SYMLINK) {
        info->st_mode = S_IFLNK | 0777;
    }
    info->st_dev = information.dwVolumeSerialNumber;
    info->st_ino = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    info->st_size =
        static_cast<std::int64_t>((std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow);
    return 0;
}

DWORD accessOf(int flags) {
    switch (flags & O_ACCMODE) {
    case O_WRONLY:
        return GENERIC_WRITE;
    case O_RDWR:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

// Runs a call on two paths, given as UTF-16; -1 with errno where a path has
// no UTF-16 form or the call fails.
template <typename Call>
int onPaths(const char* from, const char* to, Call call) {
    std::wstring wideFrom;
    std::wstring wideTo;
    if (!win32::widePath(from, wideFrom) || !win32::widePath(to, wideTo)) {
        return -1;
    }
    if (call(wideFrom.c_str(), wideTo.c_str()) == 0) {
        win32::setErrno(GetLastError());
        return -1;
    }
    return 0;
}

}  // namespace

int SystemCalls::open(const char* path, int flags, mode_t mode) {
    std::wstring wide;
    if (!win32::widePath(path, wide)) {
        return -1;
    }
    // O_TRUNC truncates after opening: CREATE_ALWAYS would refuse hidden
    // files, and devices cannot be created.
    DWORD disposition = OPEN_EXISTING;
    if ((flags & O_CREAT) != 0) {
        disposition = (flags & O_EXCL) != 0 ? CREATE_NEW : OPEN_ALWAYS;
    }
    DWORD attributes =
        (flags & O_CREAT) != 0 && (mode & S_IWUSR) == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
    if ((flags & O_DIRECTORY) != 0) {
        attributes |= FILE_FLAG_BACKUP_SEMANTICS;
    }
    const HANDLE handle =
        CreateFileW(wide.c_str(), accessOf(flags), ShareAll, nullptr, disposition, attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const DWORD existing = GetFileAttributesW(wide.c_str());
        win32::setErrno(error);
        if (error == ERROR_ACCESS_DENIED && existing != INVALID_FILE_ATTRIBUTES &&
            (existing & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            errno = EISDIR;
        }
        return -1;
    }
    // Windows refuses to write a read-only file that exists, to its
    // administrators too; Wine run as root does not, and is held to it here.
    const bool existed = disposition == OPEN_EXISTING || GetLastError() == ERROR_ALREADY_EXISTS;
    BY_HANDLE_FILE_INFORMATION information{};
    if (existed && (flags & O_ACCMODE) != O_RDONLY && GetFileInformationByHandle(handle, &information) != 0 &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        CloseHandle(handle);
        errno = EACCES;
        return -1;
    }
    if ((flags & O_TRUNC) != 0 && isDisk(handle) && SetEndOfFile(handle) == 0) {
        win32::setErrno(GetLastError());
        CloseHandle(handle);
        return -1;
    }
    // The descriptor only carries the handle: every call here works on the
    // handle itself, so the C library's own flags do not matter.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

ssize_t SystemCalls::read(int fd, void* buffer, size_t size) {
    const HANDLE handle = win32::handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    if (win32::isConsole(handle)) {
        return win32::readConsole(handle, static_cast<char*>(buffer), size);
    }
    DWORD got = 0;
    if (ReadFile(handle, buffer, static_cast<DWORD>(std::min(size, win32::MaxTransfer)), &got, nullptr) == 0) {
        const DWORD error = GetLastError();
        // The writer of a pipe has closed it: the end of the data.
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) {
            return 0;
        }
        win32::setErrno(error);
        return -1;
    }
    return static_cast<ssize_t>(got);
}

ssize_t SystemCalls::write(int fd, const void* data, size_t size) {
    const HANDLE handle = win32::handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    if (win32::isConsole(handle)) {
        return win32::writeConsole(fd, handle, static_cast<const char*>(data), size);
    }
    DWORD written = 0;
    if (WriteFile(handle, data, static_cast<DWORD>(std::min(size, win32::MaxTransfer)), &written, nullptr) == 0) {
        win32::setErrno(GetLastError());
        return -1;
    }
    return static_cast<ssize_t>(written);
}

int SystemCalls::fsync(int fd) {
    const HANDLE handle = win32::handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    if (!isDisk(handle) || isDirectory(handle)) {
        errno = EINVAL;
        return -1;
    }
    if (FlushFileBuffers(handle) == 0) {
        win32::setErrno(GetLastError());
        return -1;
    }
    return 0;
}

std::int64_t SystemCalls::lseek(int fd, std::int64_t offset, int whence) {
    const HANDLE handle = win32::handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    if (!isDisk(handle)) {
        errno = ESPIPE;
        return -1;
    }
    const DWORD method = whence == SEEK_END ? FILE_END : whence == SEEK_CUR ? FILE_CURRENT : FILE_BEGIN;
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    LARGE_INTEGER position{};
    if (SetFilePointerEx(handle, distance, &position, method) == 0) {
        win32::setErrno(GetLastError());
        return -1;
    }
    return position.QuadPart;
}

int SystemCalls::close(int fd) { return ::_close(fd); }

int SystemCalls::fstat(int fd, FileStatus* info) {
    const HANDLE handle = win32::handleOf(fd);
    return handle == INVALID_HANDLE_VALUE ? -1 : statusOf(handle, info, false);
}

int SystemCalls::stat(const char* path, FileStatus* info) {
    const Handle file(openForStatus(path, 0));
    return file.isOpen() ? statusOf(file.get(), info, false) : -1;
}

int SystemCalls::lstat(const char* path, FileStatus* info) {
    const Handle file(openForStatus(path, FILE_FLAG_OPEN_REPARSE_POINT));
    return file.isOpen() ? statusOf(file.get(), info, true) : -1;
}

// The whole path of the file that path leads to, links followed to the end
// (Windows resolves them all at once): a dangling link has none (ENOENT).
ssize_t SystemCalls::readlink(const char* path, char* buffer, size_t size) {
    const Handle file(openForStatus(path, 0));
    if (!file.isOpen()) {
        return -1;
    }
    std::wstring wide(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file.get(), wide.data(), static_cast<DWORD>(wide.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            win32::setErrno(GetLastError());
            return -1;
        }
        if (length < wide.size()) {
            wide.resize(length);
            break;
        }
        wide.resize(length);
    }
    // "\\?\C:\..." names C:\...; "\\?\UNC\server\..." names \\server\....
    std::u16string_view name(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
    std::string whole;
    if (name.starts_with(u"\\\\?\\UNC\\")) {
        whole = "\\\\" + toUtf8(name.substr(8));
    } else {
        whole = toUtf8(name.starts_with(u"\\\\?\\") ? name.substr(4) : name);
    }
    const std::size_t copied = std::min(whole.size(), size);
    std::copy_n(whole.data(), copied, buffer);
    return static_cast<ssize_t>(copied);
}

// Only the read-only attribute answers to the permission bits: a file is
// read-only when its owner may not write it.
int SystemCalls::fchmod(int fd, mode_t mode) {
    const HANDLE handle = win32::handleOf(fd);
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || !fileInformation(handle, information)) {
        return -1;
    }
    const DWORD readOnly = (mode & S_IWUSR) != 0 ? 0 : FILE_ATTRIBUTE_READONLY;
    const DWORD attributes = (information.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) | readOnly;
    if (attributes == information.dwFileAttributes) {
        return 0;
    }
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    if (SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) == 0) {
        win32::setErrno(GetLastError());
        return -1;
    }
    return 0;
}

int SystemCalls::rename(const char* from, const char* to) {
    return onPaths(from, to, [](const wchar_t* source, const wchar_t* target) {
        return MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
}

int SystemCalls::link(const char* from, const char* to) {
    return onPaths(from, to, [](const wchar_t* existing, const wchar_t* name) {
        return CreateHardLinkW(name, existing, nullptr);
    });
}

// As on POSIX systems, a name goes whatever the file's own permission: a
// read-only file loses the attribute first (and gets it back should the
// name stay).
int SystemCalls::unlink(const char* path) {
    std::wstring wide;
    if (!win32::widePath(path, wide)) {
        return -1;
    }
    if (DeleteFileW(wide.c_str()) != 0) {
        return 0;
    }
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) != 0) {
        if (DeleteFileW(wide.c_str()) != 0) {
            return 0;
        }
        SetFileAttributesW(wide.c_str(), attributes);
    }
    win32::setErrno(error);
    return -1;
}

int SystemCalls::listDirectory(const char* path, std::vector<std::string>& names) {
    std::wstring pattern;
    if (!win32::widePath(path, pattern)) {
        return -1;
    }
    if (!pattern.empty() && pattern.back() != L'/' && pattern.back() != L'\\') {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW entry;
    const HANDLE listing = FindFirstFileW(pattern.c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) {
        win32::setErrno(GetLastError());
        return -1;
    }
    do {
        const std::u16string_view name(reinterpret_cast<const char16_t*>(entry.cFileName));
        if (name != u"." && name != u"..") {
            names.push_back(toUtf8(name));
        }
    } while (FindNextFileW(listing, &entry) != 0);
    const DWORD error = GetLastError();
    FindClose(listing);
    if (error != ERROR_NO_MORE_FILES) {
        win32::setErrno(error);
        return -1;
    }
    return 0;
}

}  // namespace recdb::io
