#pragma once

// What the Windows system calls share: the handles behind the C library's
// descriptors, errno from Windows error codes, UTF-16 paths, and consoles.
#include <windows.h>

#include <sys/types.h>
#include <cstddef>
#include <string>

namespace recdb::io::win32 {

// The most that one ReadFile or WriteFile is asked to move.
inline constexpr std::size_t MaxTransfer = std::size_t{1} << 30;

// The handle behind a C library descriptor; INVALID_HANDLE_VALUE, with
// errno EBADF, for none.
HANDLE handleOf(int fd);

// Sets errno to the POSIX meaning of a Windows error code.
void setErrno(DWORD error);

// The UTF-16 form of a path given as UTF-8, for the wide calls; false, with
// errno EILSEQ (ENOENT for an empty path), where there is none.
[[nodiscard]] bool widePath(const char* path, std::wstring& wide);

// Whether a handle is a console's, for reading (input) or writing (a screen
// buffer).
bool isConsole(HANDLE handle);

// Reads a console as a file is read: the text typed, as UTF-8, a line at a
// time. A line that begins with Ctrl-Z ends the input (0), as Ctrl-D does
// at a POSIX terminal; Ctrl-C, which drops the line being typed, gives -1
// with errno EINTR.
ssize_t readConsole(HANDLE console, char* buffer, std::size_t size);

// Writes UTF-8 bytes to a console as the characters they stand for; bytes
// that are not UTF-8 show as U+FFFD. A character cut by the end of data is
// held until the next write to the same descriptor completes it.
ssize_t writeConsole(int fd, HANDLE console, const char* data, std::size_t size);

}  // namespace recdb::io::win32
