#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace recdb {

// A file read in large blocks. Reads report whether all the bytes asked for
// were there; a read error is kept apart from the end of the data.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Opens a file for reading; false when it cannot be opened or is a
    // directory.
    bool open(const std::string& path);
    bool readBytes(char* out, std::size_t count);
    // A little-endian signed 32-bit integer.
    bool readInt32(std::int32_t& value);
    // Appends count bytes, growing only as data actually arrives, so a
    // length field larger than the file allocates no more than the file has.
    bool appendBytes(std::string& out, std::size_t count);
    bool failed() const { return failed_; }

private:
    bool refill();
    template <typename Consume>
    bool consume(std::size_t count, Consume consumeChunk);

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool failed_ = false;
};

}  // namespace recdb
