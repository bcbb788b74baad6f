#include "store/record_reader.hpp"

namespace recdb {

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
    return std::string_view(info_);
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
    if (!file_.readInt32(nameLength_)) {
        return stop();
    }
    if (nameLength_ < 0 || nameLength_ > static_cast<std::int32_t>(MaxNameLength)) {
        return file_.failed() ? RecordRead::Failed : RecordRead::BadNameLength;
    }
    const auto nameSize = static_cast<std::size_t>(nameLength_);
    field_ = RecordField::Name;
    if (!file_.readBytes(name_, nameSize)) {
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
    // Texts end at their first zero byte in memory.
    record_.name = storedName({name_, nameSize});
    record_.info.reset();
    info_.clear();
    if (infoLength >= 0) {
        field_ = RecordField::Info;
        const auto length = static_cast<std::size_t>(infoLength);
        if (!withTexts) {
            return file_.skip(length) ? RecordRead::Complete : stop();
        }
        if (!file_.appendBytes(info_, length)) {
            return stop();
        }
        record_.info = std::string_view(info_).substr(0, info_.find('\0'));
    }
    return RecordRead::Complete;
}

}  // namespace recdb
