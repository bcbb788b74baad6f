#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "io/input_file.hpp"
#include "store/record.hpp"

namespace recdb {

// The database file: records back to back, no header. Per record, with all
// integers signed 32-bit little-endian: name length L (0..63), L name bytes,
// group, ratingNum, ratingDen, info length M (-1, or any negative value, when
// there is no info), and M info bytes when M >= 0.

// The bytes of a record besides its texts: the five integers.
inline constexpr std::size_t RecordFixedSize = 20;

// The fields of a record in the database file, in file order.
enum class RecordField : std::uint8_t { NameLength, Name, Group, RatingNum, RatingDen, InfoLength, Info };

// The number of bytes a field takes in the file (name and info: their
// lengths as given).
std::size_t fieldSize(RecordField field, std::int32_t nameLength, std::int32_t infoLength);

// What reading one record met.
enum class RecordRead : std::uint8_t {
    Complete,
    End,            // the data ended exactly where a record would begin
    Truncated,      // the data ended inside the record
    BadNameLength,  // a name length outside 0..63: the record cannot be read
    Failed,         // reading the file failed
};

// Reads the records of a database file one after another, exactly as a load
// reads them, and tells what it met: the offset of each record, the field at
// which the data ended and how many of its bytes were there, a bad name
// length, and the texts as they stand in the file beside the texts as a load
// keeps them (cut at their first zero byte). Records that lie whole in the
// file's buffer are read in place; nothing is allocated per record once the
// info buffer has grown to the longest info that does not.
class RecordReader {
public:
    explicit RecordReader(io::InputFile& file) : file_(file) {}

    // Reads the next record with its texts.
    [[nodiscard]] RecordRead next() { return read(true); }
    // Reads the next record, passing over its info: only the name, the
    // numbers, the lengths and the offsets are then known.
    [[nodiscard]] RecordRead skip() { return read(false); }

    // The record as a load keeps it; valid until the next read.
    const RecordView& record() const { return record_; }
    // The texts as they stand in the file; valid until the next read.
    std::string_view rawName() const { return {name_, static_cast<std::size_t>(nameLength_)}; }
    std::optional<std::string_view> rawInfo() const;
    // The length fields as written: the name length also when it is bad, and
    // any info length below 0 (which a load takes as no info).
    std::int32_t nameLength() const { return nameLength_; }
    std::int32_t infoLength() const { return infoLength_; }

    // The offset of the record last read (or begun).
    std::uint64_t recordOffset() const { return recordOffset_; }
    // The offset at which the next record begins after a complete one.
    std::uint64_t position() const { return file_.position(); }
    // After Truncated: the field that ended early, and how many of its bytes
    // the data still held.
    RecordField truncatedField() const { return field_; }
    std::size_t truncatedBytes() const;

private:
    RecordRead read(bool withTexts);
    RecordRead readFields(bool withTexts);
    RecordRead readInfo(bool withTexts);
    RecordRead stop();

    io::InputFile& file_;
    char name_[MaxNameLength] = {};
    std::string info_;  // an info that does not lie whole in the file's buffer
    std::string_view rawInfo_;
    RecordView record_;
    std::int32_t nameLength_ = 0;
    std::int32_t infoLength_ = -1;
    std::uint64_t recordOffset_ = 0;
    RecordField field_ = RecordField::NameLength;
};

// A record read from bytes in memory that begin with it, exactly as the
// reader reads one from a file; for those that search a damaged file.
struct DecodedRecord {
    RecordRead result = RecordRead::End;
    std::size_t size = 0;  // the bytes the record takes, when complete
    std::int32_t nameLength = 0;
    std::int32_t infoLength = -1;
    std::string_view rawName;
    std::optional<std::string_view> rawInfo;
    RecordView record;  // as a load keeps it: texts cut at their first zero byte
};

DecodedRecord decodeRecord(std::string_view bytes);

}  // namespace recdb
