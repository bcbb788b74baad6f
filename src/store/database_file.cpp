#include "store/database_file.hpp"

#include <new>

#include "io/file_writer.hpp"
#include "io/input_file.hpp"
#include "store/record_parser.hpp"

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

LoadOutcome load(Database& database, const std::string& fileName, io::ProgressReporter& progress) {
    database.clear();
    try {
        io::InputFile file;
        if (!file.open(fileName)) {
            return LoadOutcome::CannotRead;
        }
        // A record takes at least its header, which bounds the number of
        // records of a regular file: slots reserved for that many are taken
        // from the system only as records fill them.
        database.startLoad(file.size() / RecordHeaderSize);
        // The records are not counted ahead: the reading is told in bytes.
        io::ProgressMeter meter(progress, "reading bytes", file.size());
        std::size_t wanted = RecordHeaderSize;
        for (;;) {
            const std::string_view bytes = file.peek(wanted);
            if (file.failed()) {
                return LoadOutcome::CannotRead;
            }
            ParsedRecord parsed;
            switch (parseRecord(bytes, parsed)) {
            case ParseStatus::Complete:
                database.append(parsed.record);
                file.consume(parsed.size);
                meter.advance(parsed.size);
                wanted = RecordHeaderSize;
                break;
            case ParseStatus::BadNameLength:
                return LoadOutcome::BadNameLength;
            case ParseStatus::Incomplete:
                if (bytes.size() < wanted) {
                    // The data ends inside a record, which is dropped.
                    database.finishLoad(progress);
                    return LoadOutcome::Loaded;
                }
                wanted = parsed.needed;
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        return LoadOutcome::OutOfMemory;
    }
}

}  // namespace recdb
