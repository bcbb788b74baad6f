#include "store/input_file.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recdb {

namespace {

constexpr std::size_t BufferSize = 1 << 20;

}  // namespace

InputFile::~InputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool InputFile::open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    buffer_.resize(BufferSize);
    return true;
}

bool InputFile::refill() {
    if (fd_ < 0 || failed_) {
        return false;
    }
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            failed_ = true;
            return false;
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(got);
        return got > 0;
    }
}

template <typename Consume>
bool InputFile::consume(std::size_t count, Consume consumeChunk) {
    while (count > 0) {
        if (pos_ == end_ && !refill()) {
            return false;
        }
        const std::size_t take = std::min(count, end_ - pos_);
        consumeChunk(buffer_.data() + pos_, take);
        pos_ += take;
        count -= take;
    }
    return true;
}

bool InputFile::readBytes(char* out, std::size_t count) {
    return consume(count, [&out](const char* chunk, std::size_t size) { out = std::copy_n(chunk, size, out); });
}

bool InputFile::readInt32(std::int32_t& value) {
    unsigned char bytes[4];
    if (!readBytes(reinterpret_cast<char*>(bytes), sizeof bytes)) {
        return false;
    }
    const std::uint32_t raw = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                              static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool InputFile::appendBytes(std::string& out, std::size_t count) {
    return consume(count, [&out](const char* chunk, std::size_t size) { out.append(chunk, size); });
}

}  // namespace recdb
