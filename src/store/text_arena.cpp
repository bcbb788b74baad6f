#include "store/text_arena.hpp"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>

namespace recdb {

namespace {

std::size_t tagOf(std::optional<std::string_view> info) { return info ? info->size() + 1 : 0; }

std::size_t numberSize(std::size_t value) {
    std::size_t size = 1;
    for (; value >= 0x80; value >>= 7) {
        ++size;
    }
    return size;
}

unsigned char* writeNumber(unsigned char* out, std::size_t value) {
    for (; value >= 0x80; value >>= 7) {
        *out++ = static_cast<unsigned char>(value | 0x80);
    }
    *out++ = static_cast<unsigned char>(value);
    return out;
}

const unsigned char* readNumber(const unsigned char* in, std::size_t& value) {
    value = 0;
    for (unsigned shift = 0;; shift += 7) {
        const unsigned char byte = *in++;
        value |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return in;
        }
    }
}

}  // namespace

std::size_t TextArena::sizeOf(std::string_view name, std::optional<std::string_view> info) {
    return 1 + name.size() + numberSize(tagOf(info)) + (info ? info->size() : 0);
}

void TextArena::reserve(std::size_t size) {
    if (used_ + size <= lastBlockSize_) {
        return;
    }
    if (blocks_.size() == MaxBlocks) {
        throw std::bad_alloc();
    }
    blocks_.reserve(blocks_.size() + 1);
    // A text larger than a block gets a block of its own, which nothing else
    // shares: offsets inside a handle cannot reach beyond one block.
    const std::size_t blockSize = std::max(size, BlockSize);
    blocks_.push_back(std::make_unique_for_overwrite<unsigned char[]>(blockSize));
    used_ = 0;
    lastBlockSize_ = blockSize;
    heldBytes_ += blockSize;
}

TextArena::Handle TextArena::store(std::string_view name, std::optional<std::string_view> info) {
    const std::size_t size = sizeOf(name, info);
    reserve(size);
    const auto handle = static_cast<Handle>(((blocks_.size() - 1) << OffsetBits) | used_);
    unsigned char* out = blocks_.back().get() + used_;
    *out++ = static_cast<unsigned char>(name.size());
    if (!name.empty()) {
        std::memcpy(out, name.data(), name.size());
    }
    out = writeNumber(out + name.size(), tagOf(info));
    if (info && !info->empty()) {
        std::memcpy(out, info->data(), info->size());
    }
    used_ = lastBlockSize_ > BlockSize ? lastBlockSize_ : used_ + size;
    liveBytes_ += size;
    return handle;
}

std::optional<std::string_view> TextArena::info(Handle handle) const {
    const unsigned char* text = at(handle);
    std::size_t tag = 0;
    const unsigned char* info = readNumber(text + 1 + text[0], tag);
    if (tag == 0) {
        return std::nullopt;
    }
    return std::string_view(reinterpret_cast<const char*>(info), tag - 1);
}

std::size_t TextArena::sizeAt(Handle handle) const { return sizeOf(name(handle), info(handle)); }

void TextArena::release(Handle handle) {
    const std::size_t size = sizeAt(handle);
    assert(size <= liveBytes_);
    liveBytes_ -= size;
    freedBytes_ += size;
}

void TextArena::clear() {
    blocks_.clear();
    used_ = BlockSize;
    lastBlockSize_ = 0;
    liveBytes_ = freedBytes_ = heldBytes_ = 0;
}

}  // namespace recdb
