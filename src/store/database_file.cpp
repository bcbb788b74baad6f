#include "store/database_file.hpp"

#include <new>

#include "io/file_writer.hpp"
#include "io/input_file.hpp"

namespace recdb {

StoreOutcome store(const Database& database, const std::string& fileName, io::ProgressReporter& progress) {
    const RecordStore& records = database.records();
    if (records.isEmpty()) {
        return StoreOutcome::Empty;
    }
    const auto writeRecords = [&records, &progress](io::OutputFile& file) {
        io::ProgressMeter meter(progress, "storing records", records.size());
        for (NodeId id = records.first(); id != NoNode; id = records.next(id)) {
            meter.advance();
            const std::string_view name = records.name(id);
            file.writeInt32(static_cast<std::int32_t>(name.size()));
            file.write(name);
            file.writeInt32(records.group(id));
            file.writeInt32(records.ratingNum(id));
            file.writeInt32(records.ratingDen(id));
            if (const auto info = records.info(id)) {
                file.writeInt32(static_cast<std::int32_t>(info->size()));
                file.write(*info);
            } else {
                file.writeInt32(-1);
            }
        }
    };
    try {
        switch (io::writeFile(fileName, writeRecords)) {
        case io::WriteOutcome::Written:
            return StoreOutcome::Stored;
        case io::WriteOutcome::CannotOpen:
            return StoreOutcome::CannotOpen;
        case io::WriteOutcome::Failed:
            break;
        }
    } catch (const std::bad_alloc&) {
        // Nothing was replaced: the writer removes its temporary file.
    }
    return StoreOutcome::WriteFailed;
}

namespace {

enum class RecordRead { Complete, EndOfData, BadNameLength };

// Reads the fixed fields of a record and, unless skipping, its texts.
class RecordReader {
public:
    explicit RecordReader(io::InputFile& file) : file_(file) {}

    RecordRead next(bool skipTexts) {
        std::int32_t nameLength = 0;
        if (!file_.readInt32(nameLength)) {
            return RecordRead::EndOfData;
        }
        if (nameLength < 0 || nameLength > static_cast<std::int32_t>(MaxNameLength)) {
            return RecordRead::BadNameLength;
        }
        std::int32_t infoLength = 0;
        if (!file_.readBytes(name_, static_cast<std::size_t>(nameLength)) || !file_.readInt32(record_.group) ||
            !file_.readInt32(record_.ratingNum) || !file_.readInt32(record_.ratingDen) ||
            !file_.readInt32(infoLength)) {
            return RecordRead::EndOfData;
        }
        // Texts end at their first zero byte in memory.
        record_.name = storedName({name_, static_cast<std::size_t>(nameLength)});
        record_.info.reset();
        if (infoLength >= 0) {
            const auto length = static_cast<std::size_t>(infoLength);
            if (skipTexts) {
                return file_.skip(length) ? RecordRead::Complete : RecordRead::EndOfData;
            }
            info_.clear();
            if (!file_.appendBytes(info_, length)) {
                return RecordRead::EndOfData;
            }
            record_.info = std::string_view(info_).substr(0, info_.find('\0'));
        }
        return RecordRead::Complete;
    }

    const RecordView& record() const { return record_; }

private:
    io::InputFile& file_;
    char name_[MaxNameLength];
    std::string info_;
    RecordView record_;
};

// The number of complete records, found in a first pass over the file so that
// the database can take them without growing its arrays on the way.
LoadOutcome countRecords(io::InputFile& file, std::size_t& count, io::ProgressReporter& progress) {
    RecordReader reader(file);
    io::ProgressMeter meter(progress, "counting records");
    count = 0;
    for (;;) {
        switch (reader.next(true)) {
        case RecordRead::Complete:
            ++count;
            meter.advance();
            break;
        case RecordRead::BadNameLength:
            return LoadOutcome::BadNameLength;
        case RecordRead::EndOfData:
            return file.failed() ? LoadOutcome::CannotRead : LoadOutcome::Loaded;
        }
    }
}

}  // namespace

LoadOutcome load(Database& database, const std::string& fileName, io::ProgressReporter& progress) {
    database.clear();
    try {
        io::InputFile file;
        if (!file.open(fileName)) {
            return LoadOutcome::CannotRead;
        }
        std::size_t count = 0;
        if (const LoadOutcome counted = countRecords(file, count, progress); counted != LoadOutcome::Loaded) {
            return counted;
        }
        if (!file.rewind()) {
            return LoadOutcome::CannotRead;
        }
        database.startLoad(count);
        RecordReader reader(file);
        io::ProgressMeter meter(progress, "reading records", count);
        for (std::size_t k = 0; k < count; ++k) {
            meter.advance();
            if (reader.next(false) != RecordRead::Complete) {
                // The file changed under the load.
                return LoadOutcome::CannotRead;
            }
            database.append(reader.record());
        }
        database.finishLoad(progress);
        return LoadOutcome::Loaded;
    } catch (const std::bad_alloc&) {
        return LoadOutcome::OutOfMemory;
    }
}

}  // namespace recdb
