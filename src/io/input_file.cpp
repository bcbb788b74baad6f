#include "io/input_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/descriptor.hpp"
#include "io/system_calls.hpp"

namespace recdb::io {

namespace {

constexpr std::size_t BufferSize = 1 << 20;

}  // namespace

bool InputFile::open(const std::string& path) {
    buffer_ = std::make_unique_for_overwrite<char[]>(BufferSize);
    error_ = 0;
    file_.reset(systemCalls().open(path.c_str(), O_RDONLY | O_CLOEXEC, 0));
    if (!file_.isOpen()) {
        error_ = errno;
        return false;
    }
    FileStatus info{};
    if (systemCalls().fstat(file_.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        error_ = S_ISDIR(info.st_mode) ? EISDIR : errno;
        file_.reset();
        return false;
    }
    size_ = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    return true;
}

bool InputFile::rewind() {
    if (systemCalls().lseek(file_.get(), 0, SEEK_SET) != 0) {
        return false;
    }
    pos_ = end_ = 0;
    consumedBefore_ = 0;
    failed_ = false;
    error_ = 0;
    return true;
}

bool InputFile::seek(std::uint64_t offset) {
    if (!failed_ && offset >= consumedBefore_ && offset - consumedBefore_ <= end_) {
        pos_ = static_cast<std::size_t>(offset - consumedBefore_);
        return true;
    }
    const auto target = static_cast<off_t>(offset);
    if (target < 0 || systemCalls().lseek(file_.get(), target, SEEK_SET) != target) {
        return false;
    }
    pos_ = end_ = 0;
    consumedBefore_ = offset;
    failed_ = false;
    return true;
}

bool InputFile::refill() {
    if (!file_.isOpen() || failed_) {
        return false;
    }
    const ssize_t got = readSome(file_.get(), buffer_.get(), BufferSize);
    if (got < 0) {
        failed_ = true;
        error_ = errno;
        return false;
    }
    consumedBefore_ += end_;
    pos_ = 0;
    end_ = static_cast<std::size_t>(got);
    return got > 0;
}

template <typename Consume>
bool InputFile::consume(std::size_t count, Consume consumeChunk) {
    while (count > 0) {
        if (pos_ == end_ && !refill()) {
            return false;
        }
        const std::size_t take = std::min(count, end_ - pos_);
        consumeChunk(buffer_.get() + pos_, take);
        pos_ += take;
        count -= take;
    }
    return true;
}

bool InputFile::readBytes(char* out, std::size_t count) {
    if (end_ - pos_ >= count) {
        std::copy_n(buffer_.get() + pos_, count, out);
        pos_ += count;
        return true;
    }
    return consume(count, [&out](const char* chunk, std::size_t size) { out = std::copy_n(chunk, size, out); });
}

bool InputFile::readInt32(std::int32_t& value) {
    char bytes[4];
    if (!readBytes(bytes, sizeof bytes)) {
        return false;
    }
    value = decodeInt32(bytes);
    return true;
}

bool InputFile::skip(std::size_t count) {
    return consume(count, [](const char*, std::size_t) {});
}

std::string_view InputFile::peek(std::size_t count) {
    if (end_ - pos_ < count && file_.isOpen() && !failed_) {
        // The rest moves to the front, and more is read behind it.
        const std::size_t rest = end_ - pos_;
        std::memmove(buffer_.get(), buffer_.get() + pos_, rest);
        consumedBefore_ += pos_;
        pos_ = 0;
        end_ = rest;
        while (end_ < count && end_ < BufferSize) {
            const ssize_t got = readSome(file_.get(), buffer_.get() + end_, BufferSize - end_);
            if (got < 0) {
                failed_ = true;
                error_ = errno;
            }
            if (got <= 0) {
                break;
            }
            end_ += static_cast<std::size_t>(got);
        }
    }
    return {buffer_.get() + pos_, std::min(count, end_ - pos_)};
}

std::string_view InputFile::readChunk() {
    if (pos_ == end_ && !refill()) {
        return {};
    }
    const std::string_view chunk(buffer_.get() + pos_, end_ - pos_);
    pos_ = end_;
    return chunk;
}

bool InputFile::appendBytes(std::string& out, std::size_t count) {
    return consume(count, [&out](const char* chunk, std::size_t size) { out.append(chunk, size); });
}

}  // namespace recdb::io
