#include "file_tool/byte_window.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace recdb {

namespace {

// The most bytes read into the window at once.
constexpr std::size_t ChunkRoom = std::size_t{1} << 20;

}  // namespace

ByteWindow::ByteWindow(io::InputFile& file, std::uint64_t start, std::size_t reach)
    : file_(file), reach_(reach), base_(start), place_(start) {
    // Held at their most, the bytes of a file of the size it has now.
    if (reach_ != Unbounded) {
        held_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(2 * std::uint64_t{reach_}, file.size())));
    }
}

bool ByteWindow::moveTo(std::uint64_t offset) {
    place_ = offset;
    fill();
    return offset < heldEnd();
}

std::string_view ByteWindow::near(std::uint64_t offset) {
    fill();
    if (offset >= heldEnd()) {
        return {};
    }
    return std::string_view(held_).substr(static_cast<std::size_t>(offset - base_));
}

void ByteWindow::fill() {
    const std::uint64_t reachEnd = reach_ == Unbounded ? std::numeric_limits<std::uint64_t>::max() : place_ + reach_;
    if (heldToEnd_ || heldEnd() >= reachEnd) {
        return;
    }
    // Sliding only once the place is a reach past the base moves each byte
    // at most once for every reach that the place goes forward.
    if (place_ - base_ > reach_) {
        slide();
    }
    seekFile(heldEnd());
    while (heldEnd() < reachEnd) {
        const std::string_view chunk =
            file_.peek(static_cast<std::size_t>(std::min<std::uint64_t>(reachEnd - heldEnd(), ChunkRoom)));
        if (file_.failed()) {
            throw InputFailed{errno};
        }
        if (chunk.empty()) {
            heldToEnd_ = true;
            return;
        }
        held_.append(chunk);
        file_.advance(chunk.size());
    }
}

void ByteWindow::slide() {
    if (place_ >= heldEnd()) {
        held_.clear();
    } else {
        held_.erase(0, static_cast<std::size_t>(place_ - base_));
    }
    base_ = place_;
}

void ByteWindow::seekFile(std::uint64_t offset) {
    if (file_.position() != offset && !file_.seek(offset)) {
        throw InputFailed{errno};
    }
}

std::string_view ByteWindow::readChunk() {
    const std::string_view chunk = file_.readChunk();
    if (file_.failed()) {
        throw InputFailed{errno};
    }
    return chunk;
}

std::string_view ByteWindow::head(std::uint64_t offset, std::size_t count) {
    if (offset >= base_ && offset <= heldEnd() && (offset + count <= heldEnd() || heldToEnd_)) {
        const auto from = static_cast<std::size_t>(offset - base_);
        return std::string_view(held_).substr(from, count);
    }
    seekFile(offset);
    std::size_t got = 0;
    while (got < count) {
        const std::string_view part = file_.peek(count - got);
        if (file_.failed()) {
            throw InputFailed{errno};
        }
        if (part.empty()) {
            break;
        }
        std::copy(part.begin(), part.end(), head_.begin() + static_cast<std::ptrdiff_t>(got));
        file_.advance(part.size());
        got += part.size();
    }
    return {head_.data(), got};
}

bool ByteWindow::zeroFree(std::uint64_t from, std::uint64_t to) {
    if (from < heldEnd()) {
        const std::uint64_t stop = std::min(to, heldEnd());
        const char* begin = held_.data() + (from - base_);
        if (std::memchr(begin, 0, static_cast<std::size_t>(stop - from)) != nullptr) {
            return false;
        }
        from = stop;
    }
    if (from == to) {
        return true;
    }
    return !heldToEnd_ && zeroFreeBeyond(from, to);
}

ByteWindow::ZeroFree& ByteWindow::remembered(std::uint64_t from) {
    for (ZeroFree& stretch : zeroFree_) {
        if (stretch.from <= from && from <= stretch.end && (stretch.end > stretch.from || stretch.stops)) {
            return stretch;
        }
    }
    ZeroFree& fresh = zeroFree_[nextRemembered_];
    nextRemembered_ = (nextRemembered_ + 1) % Remembered;
    fresh = {from, from, false};
    return fresh;
}

bool ByteWindow::zeroFreeBeyond(std::uint64_t from, std::uint64_t to) {
    ZeroFree& stretch = remembered(from);
    if (stretch.end < to && !stretch.stops) {
        seekFile(stretch.end);
    }
    while (stretch.end < to && !stretch.stops) {
        const std::string_view chunk = readChunk();
        if (chunk.empty()) {
            stretch.stops = true;
            break;
        }
        const void* zero = std::memchr(chunk.data(), 0, chunk.size());
        stretch.end +=
            zero == nullptr ? chunk.size() : static_cast<std::size_t>(static_cast<const char*>(zero) - chunk.data());
        stretch.stops = zero != nullptr;
    }
    return stretch.end >= to;
}

void ByteWindow::copy(std::uint64_t from, std::uint64_t to, io::OutputFile& out) {
    if (from >= base_ && from < heldEnd()) {
        const std::uint64_t stop = std::min(to, heldEnd());
        out.write(std::string_view(held_).substr(static_cast<std::size_t>(from - base_),
                                                 static_cast<std::size_t>(stop - from)));
        from = stop;
    }
    if (from < to) {
        seekFile(from);
    }
    while (from < to) {
        const std::string_view chunk = readChunk();
        if (chunk.empty()) {
            throw InputFailed{0};
        }
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), to - from));
        out.write(chunk.substr(0, take));
        from += take;
    }
}

}  // namespace recdb
