#include "file_tool/export_file.hpp"

#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <memory>

#include "exchange/csv_writer.hpp"
#include "exchange/jsonl_writer.hpp"
#include "exchange/tsv_writer.hpp"
#include "file_tool/output_target.hpp"
#include "file_tool/selected_records.hpp"
#include "io/input_file.hpp"
#include "request/conditions.hpp"
#include "request/request_type.hpp"
#include "selection/matching.hpp"

namespace recdb {

namespace {

// What the records written met on the way.
struct WriteTally {
    std::uint64_t written = 0;
    std::uint64_t zeroBytes = 0;
    std::uint64_t emptyNames = 0;
    std::uint64_t replacements = 0;
};

template <typename Writer>
void writeOne(Writer& writer, const RecordView& record, bool cut, WriteTally& tally) {
    ++tally.written;
    tally.zeroBytes += cut ? 1U : 0U;
    tally.emptyNames += record.name.empty() ? 1U : 0U;
    writer.writeRecord(record);
}

// Writes the format's header, then what body(writer) writes.
template <typename Body>
void writeAs(ExportFormat format, io::OutputFile& out, WriteTally& tally, Body body) {
    switch (format) {
    case ExportFormat::Csv: {
        CsvWriter writer(out);
        writer.writeHeader();
        body(writer);
        break;
    }
    case ExportFormat::Tsv: {
        TsvWriter writer(out);
        writer.writeHeader();
        body(writer);
        break;
    }
    case ExportFormat::Jsonl: {
        JsonlWriter writer(out);
        body(writer);
        tally.replacements = writer.replacements();
        break;
    }
    }
}

// The conditions as select reads them from its request line.
std::optional<Criteria> conditionsOf(const std::optional<std::string>& where) {
    if (!where) {
        return std::nullopt;
    }
    std::string line = *where;
    normalizeRequest(line);
    return parseConditions(line);
}

// Whether a load would refuse the file whole, found by reading its lengths
// only; the file is then back at its start.
bool refusedWhole(io::InputFile& file, ReadTally& tally) {
    RecordReader reader(file);
    RecordRead read = RecordRead::Complete;
    while ((read = reader.skip()) == RecordRead::Complete) {
        ++tally.read;
    }
    tally.end = read;
    tally.endRecordOffset = reader.recordOffset();
    tally.badNameLength = reader.nameLength();
    const bool refused = read == RecordRead::BadNameLength;
    return !file.rewind() || refused;
}

// The status of a reading that stopped before the end: the file cannot be
// read, or a load refuses it whole.
int reportStopped(const ReadTally& tally, const std::string& file, ToolMessages& messages) {
    if (tally.end != RecordRead::BadNameLength) {
        reportUnreadable(file, messages.errors());
        return CannotProceed;
    }
    messages.error() << "record " << tally.read + 1 << " at byte " << tally.endRecordOffset << " has the name length "
                     << tally.badNameLength
                     << ", outside 0..63: DBload refuses the whole file, so it is not exported\n";
    return HasProblems;
}

bool stopped(const ReadTally& tally) {
    return tally.end == RecordRead::BadNameLength || tally.end == RecordRead::Failed;
}

// Tells what the export met; the status is 1 where the file has problems.
int reportTallies(const ReadTally& reading, const WriteTally& writing, ToolMessages& messages) {
    int status = AllWell;
    if (reading.end == RecordRead::Truncated) {
        messages.error() << "the data ends inside record " << reading.read + 1 << " at byte " << reading.endRecordOffset
                         << "; it is not exported, as DBload drops it\n";
        status = HasProblems;
    }
    if (writing.zeroBytes > 0) {
        messages.error() << "zero bytes in the texts of " << counted(writing.zeroBytes, "record")
                         << "; exported cut there, as DBload loads them\n";
        status = HasProblems;
    }
    if (writing.emptyNames > 0) {
        messages.warning() << "empty names in " << counted(writing.emptyNames, "record") << ", which import refuses\n";
    }
    if (writing.replacements > 0) {
        messages.warning() << "bytes that are not UTF-8 in " << counted(writing.replacements, "place")
                           << ", written as U+FFFD\n";
    }
    return status;
}

// Writes to standard output, directly: what fill gives up is not flushed,
// though what the buffer could not hold was written before.
OutputWritten writeStandardOutput(const std::function<bool(io::OutputFile&)>& fill, ToolMessages& messages) {
    io::OutputFile out(STDOUT_FILENO);
    if (!fill(out)) {
        return OutputWritten::Abandoned;
    }
    if (!out.flush()) {
        messages.error() << "writing to standard output failed: " << std::strerror(errno) << '\n';
        return OutputWritten::Failed;
    }
    return OutputWritten::Written;
}

}  // namespace

ToolOutcome exportFile(const ExportRequest& request, ToolMessages& messages) {
    if (request.output && !examineOutput(request.file, *request.output, messages.errors())) {
        return ToolOutcome(CannotProceed);
    }
    io::InputFile file;
    if (!openInput(file, request.file, messages.errors())) {
        return ToolOutcome(CannotProceed);
    }
    // A file that can be read twice is looked over first, so that one a load
    // refuses gives no output at all.
    ReadTally reading;
    const bool rereadable = file.rewind();
    if (rereadable && refusedWhole(file, reading)) {
        if (file.failed() || reading.end != RecordRead::BadNameLength) {
            reportUnreadable(request.file, messages.errors());
            return ToolOutcome(CannotProceed);
        }
        return ToolOutcome(reportStopped(reading, request.file, messages));
    }
    reading = {};
    const std::optional<Criteria> criteria = conditionsOf(request.where);
    std::unique_ptr<SelectedRecords> selected;
    if (request.order || (criteria && criteria->isExactName())) {
        selected = std::make_unique<SelectedRecords>(criteria.value_or(Criteria{}), request.order);
        if (!selected->read(file, rereadable, reading)) {
            return ToolOutcome(reportStopped(reading, request.file, messages));
        }
    }
    WriteTally writing;
    const auto fill = [&](io::OutputFile& out) {
        writing = {};
        writeAs(request.format, out, writing, [&](auto& writer) {
            const auto write = [&](const RecordView& record, bool cut) { writeOne(writer, record, cut, writing); };
            if (selected) {
                selected->forEach(write);
                return;
            }
            readRecords(file, reading, [&](const RecordView& record, bool cut) {
                if (!criteria || matchesRecord(record, *criteria)) {
                    write(record, cut);
                }
            });
        });
        return !stopped(reading);
    };
    const OutputWritten outcome =
        request.output ? writeOutput(*request.output, fill, messages.errors()) : writeStandardOutput(fill, messages);
    if (outcome == OutputWritten::Failed) {
        return ToolOutcome(CannotProceed);
    }
    if (outcome == OutputWritten::Abandoned) {
        return ToolOutcome(reportStopped(reading, request.file, messages));
    }
    const int status = reportTallies(reading, writing, messages);
    if (!request.output) {
        return ToolOutcome(status);
    }
    return ToolOutcome(status, writing.written);
}

}  // namespace recdb
