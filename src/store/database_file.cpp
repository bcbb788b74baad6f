#include "store/database_file.hpp"

#include <new>

#include "io/file_writer.hpp"
#include "io/input_file.hpp"
#include "store/record_reader.hpp"
#include "store/record_writer.hpp"

namespace recdb {

StoreOutcome store(const Database& database, const std::string& fileName) {
    const RecordStore& records = database.records();
    if (records.isEmpty()) {
        return StoreOutcome::Empty;
    }
    const auto writeRecords = [&records](io::OutputFile& file) {
        for (NodeId id = records.first(); id != NoNode; id = records.next(id)) {
            writeRecord(file, {records.name(id), records.group(id), records.ratingNum(id), records.ratingDen(id),
                               records.info(id)});
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

// The number of complete records, found in a first pass over the file so that
// the database can take them without growing its arrays on the way.
LoadOutcome countRecords(io::InputFile& file, std::size_t& count) {
    RecordReader reader(file);
    count = 0;
    for (;;) {
        switch (reader.skip()) {
        case RecordRead::Complete:
            ++count;
            break;
        case RecordRead::BadNameLength:
            return LoadOutcome::BadNameLength;
        case RecordRead::Failed:
            return LoadOutcome::CannotRead;
        case RecordRead::End:
        case RecordRead::Truncated:
            return LoadOutcome::Loaded;
        }
    }
}

}  // namespace

LoadOutcome load(Database& database, const std::string& fileName) {
    database.clear();
    try {
        io::InputFile file;
        if (!file.open(fileName)) {
            return LoadOutcome::CannotRead;
        }
        std::size_t count = 0;
        if (const LoadOutcome counted = countRecords(file, count); counted != LoadOutcome::Loaded) {
            return counted;
        }
        if (!file.rewind()) {
            return LoadOutcome::CannotRead;
        }
        database.startLoad(count);
        RecordReader reader(file);
        for (std::size_t k = 0; k < count; ++k) {
            if (reader.next() != RecordRead::Complete) {
                // The file changed under the load.
                return LoadOutcome::CannotRead;
            }
            database.append(reader.record());
        }
        database.finishLoad();
        return LoadOutcome::Loaded;
    } catch (const std::bad_alloc&) {
        return LoadOutcome::OutOfMemory;
    }
}

}  // namespace recdb
