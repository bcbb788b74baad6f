#include "io/output_file.hpp"

#include <cerrno>
#include <cstring>

#include "io/descriptor.hpp"

namespace recdb::io {

OutputFile::OutputFile(int fd, std::size_t bufferSize, Content content)
    : fd_(fd),
      content_(content),
      bufferSize_(bufferSize),
      buffer_(std::make_unique_for_overwrite<char[]>(bufferSize)) {}

bool OutputFile::put(const char* data, std::size_t size) const {
    if (TextLineEnd != "\n" && content_ == Content::Text) {
        return writeLines(fd_, data, size, TextLineEnd);
    }
    return writeAll(fd_, data, size);
}

void OutputFile::write(std::string_view bytes) {
    if (used_ + bytes.size() > bufferSize_) {
        static_cast<void>(flush());
        if (bytes.size() > bufferSize_) {
            if (!failed_) {
                takeResult(put(bytes.data(), bytes.size()));
            }
            return;
        }
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

char* OutputFile::room(std::size_t count) {
    if (used_ + count > bufferSize_) {
        static_cast<void>(flush());
        if (count > bufferSize_) {
            return nullptr;
        }
    }
    return buffer_.get() + used_;
}

void OutputFile::writeInt32(std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    const char bytes[4] = {static_cast<char>(raw & 0xFFu), static_cast<char>((raw >> 8) & 0xFFu),
                           static_cast<char>((raw >> 16) & 0xFFu), static_cast<char>((raw >> 24) & 0xFFu)};
    write({bytes, sizeof bytes});
}

bool OutputFile::flush() {
    if (!failed_ && used_ > 0) {
        takeResult(put(buffer_.get(), used_));
    }
    used_ = 0;
    return !failed_;
}

void OutputFile::takeResult(bool written) {
    if (!written) {
        failed_ = true;
        error_ = errno;
    }
}

}  // namespace recdb::io
