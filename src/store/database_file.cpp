#include "store/database_file.hpp"

#include <cerrno>
#include <new>

#include "io/file_writer.hpp"
#include "io/input_file.hpp"
#include "store/record_reader.hpp"
#include "store/record_writer.hpp"

namespace recdb {

StoreResult store(const Database& database, const std::string& fileName, io::ProgressReporter& progress) {
    const RecordStore& records = database.records();
    if (records.isEmpty()) {
        return {StoreOutcome::Empty};
    }
    const auto writeRecords = [&records, &progress](io::OutputFile& file) {
        io::ProgressMeter meter(progress, "storing records", records.size());
        for (RecordId id = records.first(); id != NoRecord; id = records.next(id)) {
            meter.advance();
            writeRecord(file, {records.name(id), records.group(id), records.ratingNum(id), records.ratingDen(id),
                               records.info(id)});
        }
    };
    try {
        switch (io::writeFile(fileName, writeRecords)) {
        case io::WriteOutcome::Written:
            return {StoreOutcome::Stored};
        case io::WriteOutcome::CannotOpen:
            return {StoreOutcome::CannotOpen, errno};
        case io::WriteOutcome::Failed:
            return {StoreOutcome::WriteFailed, errno};
        }
    } catch (const std::bad_alloc&) {
        // Nothing was replaced: the writer removes its temporary file.
    }
    return {StoreOutcome::WriteFailed, ENOMEM};
}

LoadResult load(Database& database, const std::string& fileName, io::ProgressReporter& progress) {
    database.clear();
    try {
        io::InputFile file;
        if (!file.open(fileName)) {
            return {LoadOutcome::CannotRead, file.error()};
        }
        // The file is read once, front to back (so a pipe loads too). A
        // record takes at least its fixed fields, which bounds the number of
        // records of a regular file: slots reserved for that many are taken
        // from the system only as records fill them.
        database.startLoad(file.size() / RecordFixedSize);
        // The records are not counted ahead: the reading is told in bytes.
        io::ProgressMeter meter(progress, "reading bytes", file.size());
        RecordReader reader(file);
        for (;;) {
            const std::uint64_t before = reader.position();
            switch (reader.next()) {
            case RecordRead::Complete:
                database.append(reader.record());
                meter.advance(reader.position() - before);
                break;
            case RecordRead::End:
            case RecordRead::Truncated:
                // Data that ends inside a record drops that record.
                database.finishLoad(progress);
                return {LoadOutcome::Loaded};
            case RecordRead::BadNameLength:
                return {LoadOutcome::BadNameLength, 0, database.records().size() + 1, reader.recordOffset(),
                        reader.nameLength()};
            case RecordRead::Failed:
                return {LoadOutcome::CannotRead, file.error()};
            }
        }
    } catch (const std::bad_alloc&) {
        return {LoadOutcome::OutOfMemory, ENOMEM};
    }
}

}  // namespace recdb
