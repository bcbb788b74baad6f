#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/record.hpp"

namespace recdb {

// The database file: records back to back, no header. Per record, with all
// integers signed 32-bit little-endian: name length L (0..63), L name bytes,
// group, ratingNum, ratingDen, info length M (-1, or any negative value,
// when there is no info), and M info bytes when M >= 0.
inline constexpr std::size_t RecordHeaderSize = 20;  // the five integers

enum class ParseStatus {
    Complete,       // a whole record; size tells its bytes
    Incomplete,     // the bytes end inside the record; needed tells how many it takes, as far as known
    BadNameLength,  // a name length outside 0..63
};

// A record read from bytes in memory. Its texts point into those bytes, each
// cut at its first zero byte, as a record in memory holds them.
struct ParsedRecord {
    RecordView record;
    std::size_t size = 0;
    std::size_t needed = 0;
};

inline std::int32_t readLittleEndian32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<std::int32_t>(std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
                                     std::uint32_t{b[3]} << 24);
}

// Parses the record at the start of bytes.
inline ParseStatus parseRecord(std::string_view bytes, ParsedRecord& out) {
    if (bytes.size() < 4) {
        out.needed = 4;
        return ParseStatus::Incomplete;
    }
    const std::int32_t nameLength = readLittleEndian32(bytes.data());
    if (nameLength < 0 || nameLength > static_cast<std::int32_t>(MaxNameLength)) {
        return ParseStatus::BadNameLength;
    }
    const auto name = static_cast<std::size_t>(nameLength);
    const std::size_t fixed = RecordHeaderSize + name;
    if (bytes.size() < fixed) {
        out.needed = fixed;
        return ParseStatus::Incomplete;
    }
    const char* after = bytes.data() + 4 + name;
    const std::int32_t infoLength = readLittleEndian32(after + 12);
    const std::size_t info = infoLength < 0 ? 0 : static_cast<std::size_t>(infoLength);
    out.needed = fixed + info;
    if (bytes.size() < out.needed) {
        return ParseStatus::Incomplete;
    }
    out.size = out.needed;
    const std::string_view nameBytes(bytes.data() + 4, name);
    out.record.name = nameBytes.substr(0, nameBytes.find('\0'));
    out.record.group = readLittleEndian32(after);
    out.record.ratingNum = readLittleEndian32(after + 4);
    out.record.ratingDen = readLittleEndian32(after + 8);
    out.record.info.reset();
    if (infoLength >= 0) {
        const std::string_view infoBytes(bytes.data() + fixed, info);
        out.record.info = infoBytes.substr(0, infoBytes.find('\0'));
    }
    return ParseStatus::Complete;
}

}  // namespace recdb
