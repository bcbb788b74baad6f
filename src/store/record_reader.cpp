#include "store/record_reader.hpp"

namespace recdb {

namespace {

std::int32_t int32At(std::string_view bytes, std::size_t offset) { return io::decodeInt32(bytes.data() + offset); }

bool nameLengthFits(std::int32_t length) { return length >= 0 && length <= static_cast<std::int32_t>(MaxNameLength); }

// Reads the part of a record before its info from bytes that hold it whole.
void decodeFixed(std::string_view bytes, std::size_t nameSize, RecordView& record, std::int32_t& infoLength) {
    record.group = int32At(bytes, 4 + nameSize);
    record.ratingNum = int32At(bytes, 8 + nameSize);
    record.ratingDen = int32At(bytes, 12 + nameSize);
    infoLength = int32At(bytes, 16 + nameSize);
}

}  // namespace

std::size_t fieldSize(RecordField field, std::int32_t nameLength, std::int32_t infoLength) {
    switch (field) {
    case RecordField::Name:
        return static_cast<std::size_t>(nameLength);
    case RecordField::Info:
        return static_cast<std::size_t>(infoLength);
    default:
        return 4;
    }
}

std::optional<std::string_view> RecordReader::rawInfo() const {
    if (infoLength_ < 0) {
        return std::nullopt;
    }
    return rawInfo_;
}

std::size_t RecordReader::truncatedBytes() const {
    std::uint64_t fieldStart = recordOffset_;
    for (auto field = RecordField::NameLength; field != field_;
         field = static_cast<RecordField>(static_cast<std::uint8_t>(field) + 1)) {
        fieldStart += fieldSize(field, nameLength_, infoLength_);
    }
    return static_cast<std::size_t>(file_.position() - fieldStart);
}

RecordRead RecordReader::stop() {
    if (file_.failed()) {
        return RecordRead::Failed;
    }
    const bool nothingRead = field_ == RecordField::NameLength && file_.position() == recordOffset_;
    return nothingRead ? RecordRead::End : RecordRead::Truncated;
}

RecordRead RecordReader::read(bool withTexts) {
    recordOffset_ = file_.position();
    field_ = RecordField::NameLength;
    nameLength_ = 0;
    infoLength_ = -1;
    // Most records lie whole in the buffer and are read from it in place;
    // the field by field reading below is for the end of the data.
    const std::string_view head = file_.peek(RecordFixedSize + MaxNameLength);
    if (head.size() < 4) {
        return readFields(withTexts);
    }
    nameLength_ = int32At(head, 0);
    if (!nameLengthFits(nameLength_)) {
        file_.advance(4);
        return RecordRead::BadNameLength;
    }
    const auto nameSize = static_cast<std::size_t>(nameLength_);
    if (head.size() < RecordFixedSize + nameSize) {
        return readFields(withTexts);
    }
    head.copy(name_, nameSize, 4);
    std::int32_t infoLength = 0;
    decodeFixed(head, nameSize, record_, infoLength);
    file_.advance(RecordFixedSize + nameSize);
    infoLength_ = infoLength;
    return readInfo(withTexts);
}

RecordRead RecordReader::readFields(bool withTexts) {
    if (!file_.readInt32(nameLength_)) {
        return stop();
    }
    if (!nameLengthFits(nameLength_)) {
        return file_.failed() ? RecordRead::Failed : RecordRead::BadNameLength;
    }
    field_ = RecordField::Name;
    if (!file_.readBytes(name_, static_cast<std::size_t>(nameLength_))) {
        return stop();
    }
    field_ = RecordField::Group;
    if (!file_.readInt32(record_.group)) {
        return stop();
    }
    field_ = RecordField::RatingNum;
    if (!file_.readInt32(record_.ratingNum)) {
        return stop();
    }
    field_ = RecordField::RatingDen;
    if (!file_.readInt32(record_.ratingDen)) {
        return stop();
    }
    field_ = RecordField::InfoLength;
    std::int32_t infoLength = 0;
    if (!file_.readInt32(infoLength)) {
        return stop();
    }
    infoLength_ = infoLength;
    return readInfo(withTexts);
}

RecordRead RecordReader::readInfo(bool withTexts) {
    // Texts end at their first zero byte in memory.
    record_.name = storedName({name_, static_cast<std::size_t>(nameLength_)});
    record_.info.reset();
    rawInfo_ = {};
    if (infoLength_ < 0) {
        return RecordRead::Complete;
    }
    field_ = RecordField::Info;
    const auto length = static_cast<std::size_t>(infoLength_);
    if (!withTexts) {
        return file_.skip(length) ? RecordRead::Complete : stop();
    }
    if (const std::string_view held = file_.peek(length); held.size() == length) {
        file_.advance(length);
        rawInfo_ = held;
    } else {
        info_.clear();
        if (!file_.appendBytes(info_, length)) {
            return stop();
        }
        rawInfo_ = info_;
    }
    record_.info = rawInfo_.substr(0, rawInfo_.find('\0'));
    return RecordRead::Complete;
}

DecodedRecord decodeRecord(std::string_view bytes) {
    DecodedRecord decoded;
    if (bytes.empty()) {
        return decoded;
    }
    decoded.result = RecordRead::Truncated;
    if (bytes.size() < 4) {
        return decoded;
    }
    decoded.nameLength = int32At(bytes, 0);
    if (!nameLengthFits(decoded.nameLength)) {
        decoded.result = RecordRead::BadNameLength;
        return decoded;
    }
    const auto nameSize = static_cast<std::size_t>(decoded.nameLength);
    const std::size_t fixedEnd = RecordFixedSize + nameSize;
    if (bytes.size() < fixedEnd) {
        return decoded;
    }
    decoded.rawName = bytes.substr(4, nameSize);
    decoded.record.name = storedName(decoded.rawName);
    decodeFixed(bytes, nameSize, decoded.record, decoded.infoLength);
    decoded.size = fixedEnd;
    if (decoded.infoLength >= 0) {
        const auto infoSize = static_cast<std::size_t>(decoded.infoLength);
        if (bytes.size() - fixedEnd < infoSize) {
            decoded.size = 0;
            return decoded;
        }
        decoded.rawInfo = bytes.substr(fixedEnd, infoSize);
        decoded.record.info = decoded.rawInfo->substr(0, decoded.rawInfo->find('\0'));
        decoded.size += infoSize;
    }
    decoded.result = RecordRead::Complete;
    return decoded;
}

}  // namespace recdb
