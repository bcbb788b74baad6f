#pragma once

#include <cassert>
#include <cstdint>

namespace recdb {

class BulkLoad;
class ColourStore;
class KeyOrder;

// The fourth word of an ordered index's node, shared by two owners that each
// reach only their own bits: the colour store keeps the node's colour bits
// in the low two, and the key order the number of the leaf that holds the
// node in the rest (a bulk load's filing borrows those for the node's rank
// until the key order is built). Nobody else reads or writes it. A fresh
// word is a plain red node in leaf 0.
class NodeWord {
public:
    // Leaf numbers and ranks stay below this.
    static constexpr std::uint32_t LeafLimit = std::uint32_t{1} << 30;

private:
    friend class BulkLoad;
    friend class ColourStore;
    friend class KeyOrder;

    static constexpr unsigned ColourBitCount = 2;
    static constexpr std::uint32_t ColourMask = (std::uint32_t{1} << ColourBitCount) - 1;

    bool hasColourBit(std::uint32_t bit) const { return (bits_ & bit) != 0; }
    void setColourBit(std::uint32_t bit, bool on) {
        assert((bit & ~ColourMask) == 0);
        bits_ = on ? bits_ | bit : bits_ & ~bit;
    }
    std::uint32_t leafBits() const { return bits_ >> ColourBitCount; }
    void setLeafBits(std::uint32_t leaf) {
        assert(leaf < LeafLimit);
        bits_ = (bits_ & ColourMask) | leaf << ColourBitCount;
    }

    std::uint32_t bits_ = 0;
};

}  // namespace recdb
