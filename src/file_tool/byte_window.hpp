#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "store/record_reader.hpp"

namespace recdb {

// Reading the input failed; reason is errno as the failure left it (0 when
// the data ended where it had been read before).
struct InputFailed {
    int reason = 0;
};

// The bytes of an input file for a search that goes forward through it and
// looks a little ahead of where it stands. The bytes from the search's place
// to a reach ahead are held in memory, each read from the file once; the
// window holds at most twice the reach. What lies
// beyond the reach is read from the file where it is asked for, and not
// kept: the tests for zero bytes there remember the last few stretches they
// found free of them, so that looking again from a nearby place costs
// nothing. Where the file cannot seek (a pipe), the reach has no end: the
// whole input is held. Every read that fails throws InputFailed.
class ByteWindow {
public:
    static constexpr std::size_t DefaultReach = std::size_t{32} << 20;
    static constexpr std::size_t Unbounded = std::numeric_limits<std::size_t>::max();
    // The most that head gives: a record's fields before its info.
    static constexpr std::size_t MaxHead = RecordFixedSize + MaxNameLength;

    ByteWindow(io::InputFile& file, std::uint64_t start, std::size_t reach);

    // Goes to offset (at or after the last place gone to) and gives up the
    // bytes before it; false when the data ends there.
    [[nodiscard]] bool moveTo(std::uint64_t offset);
    // The bytes from offset (at or after the place) to the reach or beyond;
    // empty when offset lies beyond them.
    std::string_view near(std::uint64_t offset);
    // Whether the data goes on at offset (at or after the place).
    bool holds(std::uint64_t offset) { return !head(offset, 1).empty(); }
    // The count bytes from offset, fewer only where the data ends; count is
    // at most MaxHead. Valid until the next call.
    std::string_view head(std::uint64_t offset, std::size_t count);
    // Whether the data holds the bytes [from, to) and no zero byte among
    // them; from is at or after the place.
    bool zeroFree(std::uint64_t from, std::uint64_t to);
    // Writes the bytes [from, to), which the data holds, to out.
    void copy(std::uint64_t from, std::uint64_t to, io::OutputFile& out);

private:
    // A stretch of the file known to hold no zero byte; stops when its end
    // is a zero byte or the end of the data.
    struct ZeroFree {
        std::uint64_t from = 0;
        std::uint64_t end = 0;
        bool stops = false;
    };
    static constexpr std::size_t Remembered = 4;

    std::uint64_t heldEnd() const { return base_ + held_.size(); }
    // Holds the bytes to the reach from the place, or to the end of the data.
    void fill();
    // Drops the bytes before the place.
    void slide();
    void seekFile(std::uint64_t offset);
    // The next bytes of the file; empty at the end of the data.
    std::string_view readChunk();
    ZeroFree& remembered(std::uint64_t from);
    bool zeroFreeBeyond(std::uint64_t from, std::uint64_t to);

    io::InputFile& file_;
    std::size_t reach_;
    std::string held_;        // the bytes from base_ on
    std::uint64_t base_;      // the offset of held_'s first byte
    std::uint64_t place_;     // no byte before it is asked for
    bool heldToEnd_ = false;  // held_ ends where the data ends
    std::array<char, MaxHead> head_{};
    std::array<ZeroFree, Remembered> zeroFree_{};
    std::size_t nextRemembered_ = 0;
};

}  // namespace recdb
