#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace recdb {

// The texts of the records, packed one after another in large blocks instead
// of a heap allocation each. A record's text is its name length (one byte),
// the name, a tag for the info (0 when absent, else its length + 1, as a
// base-128 number) and the info. A handle names where a text begins.
//
// Freed texts leave holes; the owner compacts the arena when the holes
// outweigh the live texts.
class TextArena {
public:
    using Handle = std::uint32_t;

    // The bytes a text of this name and info takes in the arena.
    static std::size_t sizeOf(std::string_view name, std::optional<std::string_view> info);
    // Makes sure that storing a text of size bytes allocates nothing;
    // throws std::bad_alloc when that memory cannot be had.
    void reserve(std::size_t size);
    Handle store(std::string_view name, std::optional<std::string_view> info);
    // Marks a text as freed.
    void release(Handle handle);
    void clear();

    // Inline: the indexes read names for many of their comparisons.
    std::string_view name(Handle handle) const {
        const unsigned char* text = at(handle);
        return {reinterpret_cast<const char*>(text + 1), text[0]};
    }
    std::optional<std::string_view> info(Handle handle) const;
    void prefetch(Handle handle) const { __builtin_prefetch(at(handle)); }

    // Bytes of live texts and of holes.
    std::size_t liveBytes() const { return liveBytes_; }
    std::size_t freedBytes() const { return freedBytes_; }
    // The bytes of the blocks held, exactly what they were allocated with:
    // compaction gives them back.
    std::size_t heldBytes() const { return heldBytes_; }

private:
    static constexpr unsigned OffsetBits = 20;
    static constexpr std::size_t BlockSize = std::size_t{1} << OffsetBits;
    static constexpr std::size_t MaxBlocks = std::size_t{1} << (32 - OffsetBits);

    const unsigned char* at(Handle handle) const {
        return blocks_[handle >> OffsetBits].get() + (handle & (BlockSize - 1));
    }
    std::size_t sizeAt(Handle handle) const;

    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
    std::size_t used_ = BlockSize;  // in the last block; full when there is none
    std::size_t lastBlockSize_ = 0;
    std::size_t liveBytes_ = 0;
    std::size_t freedBytes_ = 0;
    std::size_t heldBytes_ = 0;
};

}  // namespace recdb
