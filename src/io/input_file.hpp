#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "io/descriptor.hpp"

namespace recdb::io {

// A file read front to back through a window of its bytes: peek shows at
// least the bytes asked for (fewer only at the end of the file), consume
// moves past them. The window is read in large blocks and grows only as data
// arrives, so a length field larger than the file allocates no more than
// about what the file holds. A read error is kept apart from the end of the
// data.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens a file for reading; false when it cannot be opened or is a
    // directory.
    [[nodiscard]] bool open(const std::string& path);
    // The size of a regular file, 0 for anything else.
    std::uint64_t size() const { return size_; }

    // The bytes not yet consumed, at least count of them unless the file
    // ends or a read fails first. May throw std::bad_alloc.
    std::string_view peek(std::size_t count);
    void consume(std::size_t count);
    bool failed() const { return failed_; }

private:
    static constexpr std::size_t BlockSize = std::size_t{1} << 20;

    Descriptor file_;
    std::uint64_t size_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace recdb::io
