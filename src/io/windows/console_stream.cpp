// A console read and written as a stream of UTF-8 bytes. The console is
// read and written in UTF-16 (ReadConsoleW, WriteConsoleW), whatever its
// code pages: text typed with accents reaches the program as the UTF-8
// that a POSIX terminal would give, and records are shown as the
// characters their UTF-8 bytes stand for.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "io/utf8.hpp"
#include "io/windows/win32.hpp"

namespace recdb::io::win32 {

namespace {

constexpr wchar_t EndOfInput = 0x1A;  // Ctrl-Z

// What has been read from the console and not yet handed out: the rest of
// a line that did not fit the reader's buffer, and the first half of a
// surrogate pair whose second half is still to come.
struct ConsoleInput {
    std::string pending;
    std::size_t taken = 0;
    char16_t highSurrogate = 0;
    bool atLineStart = true;
    // Ctrl-Z then Enter was typed: the next read gives the end of the input,
    // once. The console can be read again after it, as a terminal can after
    // Ctrl-D, so that a person can still answer a question or go on.
    bool endKey = false;
};

ConsoleInput input;

// Reads one piece of a line (all of it when it fits), as UTF-8, into
// input.pending. False when the read was cut off (errno set).
bool readPiece(HANDLE console) {
    wchar_t units[4096];
    DWORD got = 0;
    SetLastError(NO_ERROR);
    if (ReadConsoleW(console, units, sizeof units / sizeof units[0], &got, nullptr) == 0 || got == 0) {
        // Ctrl-C cuts the read off; so does anything else that leaves it
        // empty, which a caller takes the same way.
        const DWORD error = GetLastError();
        setErrno(error == NO_ERROR ? ERROR_OPERATION_ABORTED : error);
        return false;
    }
    std::u16string text;
    if (input.highSurrogate != 0) {
        text += input.highSurrogate;
        input.highSurrogate = 0;
    }
    text.append(reinterpret_cast<const char16_t*>(units), got);
    if (text.back() >= 0xD800 && text.back() < 0xDC00) {
        input.highSurrogate = text.back();
        text.pop_back();
    }
    if (input.atLineStart && !text.empty() && text.front() == EndOfInput) {
        input.endKey = true;
        return true;
    }
    input.atLineStart = !text.empty() && text.back() == u'\n';
    input.pending = toUtf8(text);
    input.taken = 0;
    return true;
}

// Bytes of a character that a write ended inside, per standard descriptor.
struct CutCharacter {
    char bytes[4] = {};
    std::size_t size = 0;
};

CutCharacter cutCharacters[3];

bool writeUnits(HANDLE console, const char16_t* units, std::size_t count) {
    while (count > 0) {
        DWORD written = 0;
        if (WriteConsoleW(console, units, static_cast<DWORD>(count), &written, nullptr) == 0 || written == 0) {
            setErrno(GetLastError());
            return false;
        }
        units += written;
        count -= written;
    }
    return true;
}

}  // namespace

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) != 0;
}

ssize_t readConsole(HANDLE console, char* buffer, std::size_t size) {
    while (!input.endKey && input.taken == input.pending.size()) {
        if (!readPiece(console)) {
            return -1;
        }
    }
    if (input.endKey) {
        input.endKey = false;
        return 0;
    }
    const std::size_t count = std::min(size, input.pending.size() - input.taken);
    std::copy_n(input.pending.data() + input.taken, count, buffer);
    input.taken += count;
    return static_cast<ssize_t>(count);
}

ssize_t writeConsole(int fd, HANDLE console, const char* data, std::size_t size) {
    CutCharacter unused;
    CutCharacter& cut = fd >= 0 && fd < 3 ? cutCharacters[fd] : unused;
    char16_t units[4096];
    std::size_t used = 0;
    std::string_view rest(data, size);
    if (cut.size > 0) {
        // The held bytes and the first few of these make whole characters.
        char head[8];
        std::memcpy(head, cut.bytes, cut.size);
        const std::size_t borrowed = std::min(rest.size(), sizeof head - cut.size);
        std::memcpy(head + cut.size, rest.data(), borrowed);
        const ShownText shown = toShownUtf16({head, cut.size + borrowed}, units, sizeof units / sizeof units[0]);
        if (shown.bytes < cut.size) {
            std::memcpy(cut.bytes + cut.size, rest.data(), borrowed);
            cut.size += borrowed;
            return static_cast<ssize_t>(size);
        }
        used = shown.units;
        rest.remove_prefix(shown.bytes - cut.size);
        cut.size = 0;
    }
    for (;;) {
        const ShownText shown = toShownUtf16(rest, units + used, sizeof units / sizeof units[0] - used);
        rest.remove_prefix(shown.bytes);
        used += shown.units;
        if (!writeUnits(console, units, used)) {
            return -1;
        }
        used = 0;
        if (shown.bytes == 0 && !rest.empty()) {
            // A character that the next write completes.
            std::memcpy(cut.bytes, rest.data(), rest.size());
            cut.size = rest.size();
            return static_cast<ssize_t>(size);
        }
        if (rest.empty()) {
            return static_cast<ssize_t>(size);
        }
    }
}

}  // namespace recdb::io::win32
