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
#include "store/record_findings.hpp"

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
    messages.error() << recordPlace(tally.read + 1, tally.endRecordOffset) << " has the name length "
                     << tally.badNameLength << ", outside 0.." << MaxNameLength
                     << ": DBload refuses the whole file, so it is not exported\n";
    return HasProblems;
}

// Tells what the export met; the status is 1 where the file has problems.
int reportTallies(const ReadTally& reading, const WriteTally& writing, ToolMessages& messages) {
    int status = AllWell;
    if (reading.end == RecordRead::Truncated) {
        messages.error() << "the data ends inside " << recordPlace(reading.read + 1, reading.endRecordOffset)
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

// The steps of one export: open, select, write, tell.
class Export {
public:
    Export(const ExportRequest& request, ToolMessages& messages)
        : request_(request), messages_(messages), criteria_(conditionsOf(request.where)) {}

    // Opens the input, looking a file that can be read twice over first, so
    // that one a load refuses gives no output at all. The status when the
    // export stops here.
    std::optional<int> open() {
        if (request_.output && !examineOutput(request_.file, *request_.output, messages_.errors())) {
            return CannotProceed;
        }
        if (!openInput(file_, request_.file, messages_.errors())) {
            return CannotProceed;
        }
        rereadable_ = file_.rewind();
        if (rereadable_ && refusedWhole(file_, reading_)) {
            if (file_.failed()) {
                reportUnreadable(request_.file, messages_.errors());
                return CannotProceed;
            }
            return reportStopped(reading_, request_.file, messages_);
        }
        reading_ = {};
        return std::nullopt;
    }

    // Finds the records to write ahead where they are not simply streamed:
    // in order, or the one of an exact name. The status when the export
    // stops here.
    std::optional<int> select() {
        if (!request_.order && !(criteria_ && criteria_->isExactName())) {
            return std::nullopt;
        }
        selected_ = std::make_unique<SelectedRecords>(criteria_.value_or(Criteria{}), request_.order);
        if (!selected_->read(file_, rereadable_, reading_)) {
            return reportStopped(reading_, request_.file, messages_);
        }
        return std::nullopt;
    }

    ToolOutcome write() {
        const auto fill = [this](io::OutputFile& out) { return writeRecords(out); };
        const OutputWritten outcome = request_.output ? writeOutput(*request_.output, fill, messages_.errors())
                                                      : writeStandardOutput(fill, messages_);
        if (outcome == OutputWritten::Failed) {
            return ToolOutcome(CannotProceed);
        }
        if (outcome == OutputWritten::Abandoned) {
            return ToolOutcome(reportStopped(reading_, request_.file, messages_));
        }
        const int status = reportTallies(reading_, writing_, messages_);
        return request_.output ? ToolOutcome(status, writing_.written) : ToolOutcome(status);
    }

private:
    // The records in the format asked for; false when the reading stopped.
    bool writeRecords(io::OutputFile& out) {
        writing_ = {};
        writeAs(request_.format, out, writing_, [this](auto& writer) {
            const auto write = [&](const RecordView& record, bool cut) { writeOne(writer, record, cut, writing_); };
            if (selected_) {
                selected_->forEach(write);
                return;
            }
            readRecords(file_, reading_, [&](const RecordView& record, bool cut) {
                if (!criteria_ || matchesRecord(record, *criteria_)) {
                    write(record, cut);
                }
            });
        });
        return !reading_.stopped();
    }

    const ExportRequest& request_;
    ToolMessages& messages_;
    std::optional<Criteria> criteria_;
    io::InputFile file_;
    bool rereadable_ = false;
    ReadTally reading_;
    WriteTally writing_;
    std::unique_ptr<SelectedRecords> selected_;
};

}  // namespace

ToolOutcome exportFile(const ExportRequest& request, ToolMessages& messages) {
    Export run(request, messages);
    if (const auto stop = run.open()) {
        return ToolOutcome(*stop);
    }
    if (const auto stop = run.select()) {
        return ToolOutcome(*stop);
    }
    return run.write();
}

}  // namespace recdb
