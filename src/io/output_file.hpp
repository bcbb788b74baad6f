#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace recdb::io {

// Writes to an open descriptor through a large buffer. Every write, flush
// and sync is checked; after the first failure nothing more is written and
// failed() tells.
class OutputFile {
public:
    explicit OutputFile(int fd);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    void writeInt32(std::int32_t value);
    // Writes out the buffer; false once anything failed.
    [[nodiscard]] bool flush();
    bool failed() const { return failed_; }

private:
    int fd_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace recdb::io
