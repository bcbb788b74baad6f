#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace recdb::io {

// The line end of text: a carriage return and a line feed on Windows, a line
// feed elsewhere.
#ifdef _WIN32
inline constexpr std::string_view TextLineEnd = "\r\n";
#else
inline constexpr std::string_view TextLineEnd = "\n";
#endif

// How bytes reach a file: as they are, or as text, each line feed written as
// TextLineEnd.
enum class Content { Binary, Text };

// Writes to an open descriptor through a buffer (1 MiB unless told other).
// Every write and flush is checked; after the first failure nothing more is
// written, failed() tells, and error() keeps the system's error number.
// Nothing is allocated after construction.
class OutputFile {
public:
    static constexpr std::size_t DefaultBufferSize = std::size_t{1} << 20;

    explicit OutputFile(int fd, std::size_t bufferSize = DefaultBufferSize, Content content = Content::Binary);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    // Room in the buffer for up to count bytes, to be written in place and
    // then taken by commit; null when count is more than the buffer holds.
    char* room(std::size_t count);
    void commit(std::size_t count) { used_ += count; }
    void writeInt32(std::int32_t value);
    // Writes out the buffer; false once anything failed.
    [[nodiscard]] bool flush();
    bool failed() const { return failed_; }
    int error() const { return error_; }

private:
    [[nodiscard]] bool put(const char* data, std::size_t size) const;
    void takeResult(bool written);

    int fd_;
    Content content_;
    std::size_t bufferSize_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    int error_ = 0;
};

}  // namespace recdb::io
