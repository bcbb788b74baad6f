#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "io/descriptor.hpp"

namespace recdb::io {

// A signed 32-bit integer stored little-endian at bytes: one load on a
// little-endian machine.
inline std::int32_t decodeInt32(const char* bytes) {
    std::uint32_t raw = 0;
    std::memcpy(&raw, bytes, sizeof raw);
    if constexpr (std::endian::native == std::endian::big) {
        raw = __builtin_bswap32(raw);
    }
    return static_cast<std::int32_t>(raw);
}

// A file read in large blocks. Reads report whether all the bytes asked for
// were there; a read error is kept apart from the end of the data.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens a file for reading; false when it cannot be opened or is a
    // directory (error() tells why).
    [[nodiscard]] bool open(const std::string& path);
    // The size of a regular file, 0 for anything else.
    std::uint64_t size() const { return size_; }
    [[nodiscard]] bool readBytes(char* out, std::size_t count);
    // A little-endian signed 32-bit integer.
    [[nodiscard]] bool readInt32(std::int32_t& value);
    // Passes over count bytes.
    [[nodiscard]] bool skip(std::size_t count);
    // Appends count bytes, growing only as data actually arrives, so a
    // length field larger than the file allocates no more than the file has.
    [[nodiscard]] bool appendBytes(std::string& out, std::size_t count);
    // The next count bytes in one piece, without taking them: fewer only
    // where the data ends first or count is more than the buffer holds
    // (1 MiB). Valid until the next read.
    [[nodiscard]] std::string_view peek(std::size_t count);
    // Takes count bytes that peek showed.
    void advance(std::size_t count) { pos_ += count; }
    // The buffered bytes that follow, all taken at once (refilling first
    // when none are left); empty at the end of the data or after an error.
    [[nodiscard]] std::string_view readChunk();
    bool failed() const { return failed_; }
    // Why open or a read failed: the system's error number (EISDIR for a
    // directory); 0 while nothing has.
    int error() const { return error_; }
    // The number of bytes taken from the file so far: the offset of the next
    // byte to be read.
    std::uint64_t position() const { return consumedBefore_ + pos_; }
    // Goes back to the start of the file; false where the file cannot seek.
    [[nodiscard]] bool rewind();
    // Goes to offset: within the buffered bytes without reading, else by
    // seeking the file; false where the file cannot seek there.
    [[nodiscard]] bool seek(std::uint64_t offset);

private:
    bool refill();
    template <typename Consume>
    bool consume(std::size_t count, Consume consumeChunk);

    Descriptor file_;
    std::uint64_t size_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::uint64_t consumedBefore_ = 0;  // the offset in the file of the buffer's first byte
    bool failed_ = false;
    int error_ = 0;
};

}  // namespace recdb::io
