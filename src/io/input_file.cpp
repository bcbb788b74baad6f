#include "io/input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <algorithm>
#include <cstring>

#include "io/system_calls.hpp"

namespace recdb::io {

bool InputFile::open(const std::string& path) {
    buffer_ = std::make_unique_for_overwrite<char[]>(BlockSize);
    capacity_ = BlockSize;
    file_.reset(systemCalls().open(path.c_str(), O_RDONLY | O_CLOEXEC, 0));
    if (!file_.isOpen()) {
        return false;
    }
    struct stat info {};
    if (systemCalls().fstat(file_.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        file_.reset();
        return false;
    }
    size_ = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    return true;
}

std::string_view InputFile::peek(std::size_t count) {
    while (end_ - pos_ < count && !ended_ && !failed_) {
        // Keep the bytes not yet consumed at the front, and grow the window
        // only when it is full of them.
        if (pos_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (end_ == capacity_) {
            const std::size_t grown = 2 * capacity_;
            auto larger = std::make_unique_for_overwrite<char[]>(grown);
            std::copy_n(buffer_.get(), end_, larger.get());
            buffer_ = std::move(larger);
            capacity_ = grown;
        }
        const ssize_t got = readSome(file_.get(), buffer_.get() + end_, capacity_ - end_);
        if (got < 0) {
            failed_ = true;
        } else if (got == 0) {
            ended_ = true;
        } else {
            end_ += static_cast<std::size_t>(got);
        }
    }
    return {buffer_.get() + pos_, end_ - pos_};
}

void InputFile::consume(std::size_t count) { pos_ += std::min(count, end_ - pos_); }

}  // namespace recdb::io
