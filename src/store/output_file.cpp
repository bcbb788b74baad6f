#include "store/output_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace recdb {

namespace {

constexpr std::size_t BufferSize = 1 << 20;

}  // namespace

OutputFile::~OutputFile() { close(); }

bool OutputFile::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    adopt(fd);
    return true;
}

void OutputFile::adopt(int fd) {
    fd_ = fd;
    failed_ = false;
    buffer_.clear();
    buffer_.reserve(BufferSize);
}

void OutputFile::write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > BufferSize) {
        flushBuffer();
    }
    if (bytes.size() > BufferSize) {
        buffer_.assign(bytes);
        flushBuffer();
        return;
    }
    buffer_.append(bytes);
}

void OutputFile::flushBuffer() {
    std::size_t done = 0;
    while (!failed_ && done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            failed_ = true;
        } else {
            done += static_cast<std::size_t>(written);
        }
    }
    buffer_.clear();
}

bool OutputFile::close() {
    if (fd_ < 0) {
        return !failed_;
    }
    flushBuffer();
    if (::close(fd_) != 0) {
        failed_ = true;
    }
    fd_ = -1;
    return !failed_;
}

}  // namespace recdb
