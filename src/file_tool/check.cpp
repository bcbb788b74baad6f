#include "file_tool/check.hpp"

#include <array>
#include <string_view>

#include "exchange/display_text.hpp"
#include "file_tool/name_tally.hpp"
#include "file_tool/output_target.hpp"
#include "file_tool/tool_status.hpp"
#include "io/input_file.hpp"
#include "store/record_findings.hpp"
#include "store/record_reader.hpp"

namespace recdb {

namespace {

constexpr std::uint64_t ListedFindings = 100;

constexpr std::array<std::string_view, 7> FieldNames = {
    "the name length",          "the name",        "the group", "the first rating number",
    "the second rating number", "the info length", "the info"};

// The findings so far: the first hundred written out, the rest counted.
class Findings {
public:
    explicit Findings(std::ostream& out) : out_(out) {}

    void problem(std::uint64_t record, std::uint64_t offset, const std::string& text) {
        ++problems_;
        add(record, offset, "problem: " + text);
    }
    void note(std::uint64_t record, std::uint64_t offset, const std::string& text) {
        ++notes_;
        add(record, offset, "note: " + text);
    }
    void closeList() {
        if (listed_ < problems_ + notes_) {
            out_ << "... and " << counted(problems_ + notes_ - listed_, "more finding") << '\n';
        }
    }
    std::uint64_t problems() const { return problems_; }
    std::uint64_t notes() const { return notes_; }

private:
    void add(std::uint64_t record, std::uint64_t offset, const std::string& text) {
        if (listed_ < ListedFindings) {
            ++listed_;
            out_ << recordPlace(record, offset) << ": " << text << '\n';
        }
    }

    std::ostream& out_;
    std::uint64_t problems_ = 0;
    std::uint64_t notes_ = 0;
    std::uint64_t listed_ = 0;
};

// The problems and notes of one complete record.
void inspect(const RecordReader& reader, std::uint64_t number, Findings& findings) {
    const std::uint64_t offset = reader.recordOffset();
    const RecordView& record = reader.record();
    if (record.name.size() != reader.rawName().size()) {
        findings.problem(number, offset,
                         "the name holds a zero byte after " + counted(record.name.size(), "byte") +
                             "; it loads cut to " + displayText(record.name));
    } else if (record.name.empty()) {
        findings.note(number, offset, "the name is empty; no request can name this record");
    }
    if (const auto info = reader.rawInfo(); info && record.info->size() != info->size()) {
        findings.problem(number, offset,
                         "the info holds a zero byte after " + counted(record.info->size(), "byte") +
                             "; it loads cut to " + displayText(*record.info));
    }
    if (reader.infoLength() < -1) {
        findings.note(number, offset,
                      "the info length is " + std::to_string(reader.infoLength()) + "; the record loads with no info");
    }
}

std::string truncation(const RecordReader& reader) {
    const RecordField field = reader.truncatedField();
    const std::string_view name = FieldNames[static_cast<std::size_t>(field)];
    const std::size_t have = reader.truncatedBytes();
    std::string text = "the data ends ";
    if (have == 0) {
        text.append("before ").append(name);
    } else {
        text.append("inside ").append(name).append(" after ");
        text += std::to_string(have) + " of its " +
                counted(fieldSize(field, reader.nameLength(), reader.infoLength()), "byte");
    }
    return text + "; DBload drops this record";
}

// What reading the records met.
struct Reading {
    std::uint64_t records = 0;
    RecordRead end = RecordRead::End;
};

// The problem of a record that cannot be read whole, where the reading ends.
void noteEnd(const RecordReader& reader, const Reading& reading, Findings& findings) {
    const std::uint64_t number = reading.records + 1;
    const std::uint64_t offset = reader.recordOffset();
    if (reading.end == RecordRead::Truncated) {
        findings.problem(number, offset, truncation(reader));
    } else if (reading.end == RecordRead::BadNameLength) {
        findings.problem(
            number, offset,
            badNameLength(reader.nameLength()) + "; DBload refuses the whole file, and check reads no further");
    }
}

// Reads the records as a load does, noting their findings and names.
Reading readRecords(io::InputFile& file, Findings& findings, NameTally& names) {
    RecordReader reader(file);
    Reading reading;
    while ((reading.end = reader.next()) == RecordRead::Complete) {
        ++reading.records;
        inspect(reader, reading.records, findings);
        names.add(reader.record().name, reading.records, reader.recordOffset());
    }
    noteEnd(reader, reading, findings);
    return reading;
}

// The size of the file: where the reading stopped, and the bytes after it.
bool measure(io::InputFile& file, std::uint64_t& bytes) {
    bytes = file.position();
    for (std::string_view rest; !(rest = file.readChunk()).empty();) {
        bytes += rest.size();
    }
    return !file.failed();
}

void noteRepeats(const NameTally& names, Findings& findings, std::ostream& out) {
    for (const NameTally::Repeat& repeat : names.firstRepeats()) {
        findings.note(
            repeat.firstRecord, repeat.firstPlace,
            "the name " + displayText(repeat.name) + " occurs " + counted(repeat.count, "time") + ", first here");
    }
    if (names.repeatedNames() > names.firstRepeats().size()) {
        out << "note: " << counted(names.repeatedNames(), "name") << " occur more than once; the first "
            << names.firstRepeats().size() << " are listed\n";
    }
}

void summarize(const Reading& reading, std::uint64_t bytes, const Findings& findings, std::ostream& out) {
    out << counted(reading.records, "record") << ", " << counted(bytes, "byte") << ", "
        << counted(findings.problems(), "problem") << ", " << counted(findings.notes(), "note") << ": ";
    if (reading.end == RecordRead::BadNameLength) {
        out << "DBload refuses the whole file\n";
    } else if (findings.problems() > 0) {
        out << "DBload does not load all of them unchanged\n";
    } else {
        out << "DBload loads all of them unchanged\n";
    }
}

}  // namespace

int checkFile(const std::string& path, std::ostream& out, std::ostream& err, const CheckLimits& limits) {
    io::InputFile file;
    if (!openInput(file, path, err)) {
        return CannotProceed;
    }
    // A file that cannot be read again is tallied in one pass.
    NameTally names(file.rewind() ? limits.budget : NameTally::Unbounded, limits.hashBits);
    Findings findings(out);
    const Reading reading = readRecords(file, findings, names);
    std::uint64_t bytes = 0;
    if (reading.end == RecordRead::Failed || !measure(file, bytes) || !finishTally(file, names)) {
        reportUnreadable(path, err);
        return CannotProceed;
    }
    noteRepeats(names, findings, out);
    findings.closeList();
    summarize(reading, bytes, findings, out);
    return findings.problems() > 0 ? HasProblems : AllWell;
}

}  // namespace recdb
