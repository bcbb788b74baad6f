#include "file_tool/export_file.hpp"

#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "exchange/csv_writer.hpp"
#include "exchange/jsonl_writer.hpp"
#include "exchange/tsv_writer.hpp"
#include "file_tool/output_target.hpp"
#include "file_tool/tool_status.hpp"
#include "io/input_file.hpp"
#include "store/record_reader.hpp"

namespace recdb {

namespace {

// Thrown from the fill of an output file that must stay as it was.
struct ExportStopped {};

// What the records met on the way.
struct ExportTally {
    std::uint64_t records = 0;
    std::uint64_t zeroBytes = 0;
    std::uint64_t emptyNames = 0;
    std::uint64_t replacements = 0;
    RecordRead end = RecordRead::End;
    std::uint64_t endRecordOffset = 0;
    std::int32_t badNameLength = 0;
};

template <typename Writer>
void writeRecords(io::InputFile& file, Writer& writer, ExportTally& tally) {
    if constexpr (requires { writer.writeHeader(); }) {
        writer.writeHeader();
    }
    RecordReader reader(file);
    while ((tally.end = reader.next()) == RecordRead::Complete) {
        const RecordView& record = reader.record();
        ++tally.records;
        if (record.name.size() != reader.rawName().size() ||
            (record.info && record.info->size() != reader.rawInfo()->size())) {
            ++tally.zeroBytes;
        }
        if (record.name.empty()) {
            ++tally.emptyNames;
        }
        writer.writeRecord(record);
    }
    tally.endRecordOffset = reader.recordOffset();
    tally.badNameLength = reader.nameLength();
    if constexpr (requires { writer.replacements(); }) {
        tally.replacements = writer.replacements();
    }
}

void writeAs(ExportFormat format, io::InputFile& file, io::OutputFile& out, ExportTally& tally) {
    switch (format) {
    case ExportFormat::Csv: {
        CsvWriter writer(out);
        writeRecords(file, writer, tally);
        break;
    }
    case ExportFormat::Tsv: {
        TsvWriter writer(out);
        writeRecords(file, writer, tally);
        break;
    }
    case ExportFormat::Jsonl: {
        JsonlWriter writer(out);
        writeRecords(file, writer, tally);
        break;
    }
    }
}

// Whether a load would refuse the file whole, found by reading its lengths
// only; the file is then back at its start.
bool refusedWhole(io::InputFile& file, ExportTally& tally) {
    RecordReader reader(file);
    RecordRead read = RecordRead::Complete;
    while ((read = reader.skip()) == RecordRead::Complete) {
        ++tally.records;
    }
    tally.end = read;
    tally.endRecordOffset = reader.recordOffset();
    tally.badNameLength = reader.nameLength();
    const bool refused = read == RecordRead::BadNameLength;
    return !file.rewind() || refused;
}

void reportRefused(const ExportTally& tally, std::ostream& err) {
    err << "recdb-file: record " << tally.records + 1 << " at byte " << tally.endRecordOffset << " has the name length "
        << tally.badNameLength << ", outside 0..63: DBload refuses the whole file, so it is not exported\n";
}

}  // namespace

int exportFile(const ExportRequest& request, std::ostream& err) {
    if (request.output && sameFile(request.file, *request.output)) {
        err << "recdb-file: " << *request.output << " is the input file itself\n";
        return CannotProceed;
    }
    io::InputFile file;
    errno = 0;
    if (!file.open(request.file)) {
        reportUnreadable(request.file, err);
        return CannotProceed;
    }
    ExportTally tally;
    // A file that can be read twice is looked over first, so that one a load
    // refuses gives no output at all.
    if (file.rewind() && refusedWhole(file, tally)) {
        if (file.failed() || tally.end != RecordRead::BadNameLength) {
            reportUnreadable(request.file, err);
            return CannotProceed;
        }
        reportRefused(tally, err);
        return HasProblems;
    }
    tally = {};
    const auto fill = [&](io::OutputFile& out) {
        writeAs(request.format, file, out, tally);
        if (tally.end == RecordRead::BadNameLength || tally.end == RecordRead::Failed) {
            throw ExportStopped{};
        }
    };
    try {
        if (request.output) {
            if (!writeOutput(*request.output, fill, err)) {
                return CannotProceed;
            }
        } else {
            io::OutputFile out(STDOUT_FILENO);
            fill(out);
            if (!out.flush()) {
                err << "recdb-file: writing to standard output failed: " << std::strerror(errno) << '\n';
                return CannotProceed;
            }
        }
    } catch (const ExportStopped&) {
        if (tally.end == RecordRead::Failed) {
            reportUnreadable(request.file, err);
            return CannotProceed;
        }
        reportRefused(tally, err);
        return HasProblems;
    }
    int status = AllWell;
    if (tally.end == RecordRead::Truncated) {
        err << "recdb-file: the data ends inside record " << tally.records + 1 << " at byte " << tally.endRecordOffset
            << "; it is not exported, as DBload drops it\n";
        status = HasProblems;
    }
    if (tally.zeroBytes > 0) {
        err << "recdb-file: zero bytes in the texts of " << counted(tally.zeroBytes, "record")
            << "; exported cut there, as DBload loads them\n";
        status = HasProblems;
    }
    if (tally.emptyNames > 0) {
        err << "recdb-file: warning: empty names in " << counted(tally.emptyNames, "record")
            << ", which import refuses\n";
    }
    if (tally.replacements > 0) {
        err << "recdb-file: warning: bytes that are not UTF-8 in " << counted(tally.replacements, "place")
            << ", written as U+FFFD\n";
    }
    return status;
}

}  // namespace recdb
