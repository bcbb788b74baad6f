#include "file_tool/import_file.hpp"

#include "exchange/display_text.hpp"
#include "file_tool/name_tally.hpp"
#include "file_tool/output_target.hpp"
#include "io/input_file.hpp"
#include "store/record_reader.hpp"
#include "store/record_writer.hpp"

namespace recdb {

namespace {

constexpr std::uint64_t ListedRefusals = 100;

// The refused rows: the first hundred told, the rest counted.
class Refusals {
public:
    Refusals(const std::string& input, ToolMessages& messages) : input_(input), messages_(messages) {}

    // A refusal in the row that begins on line, at physicalLine; the column
    // (0: none) is labelled with the field it feeds, where one does.
    void add(const TableRefusal& refusal, const ColumnLayout* layout) {
        if (++count_ > ListedRefusals) {
            return;
        }
        std::ostream& err = messages_.error();
        err << input_ << " line " << refusal.line;
        if (refusal.physicalLine != refusal.line) {
            err << " (physical line " << refusal.physicalLine << ')';
        }
        if (refusal.column > 0) {
            err << ", column " << refusal.column;
            if (const auto field = layout != nullptr ? layout->fieldAt(refusal.column) : std::nullopt) {
                err << " (" << columnName(*field) << ')';
            }
        }
        err << ": " << refusal.reason << '\n';
    }
    std::uint64_t count() const { return count_; }
    void close() {
        if (count_ > ListedRefusals) {
            messages_.error() << "... and " << counted(count_ - ListedRefusals, "more refused row") << '\n';
        }
        messages_.error() << counted(count_, "row") << " refused; nothing was written\n";
    }

private:
    const std::string& input_;
    ToolMessages& messages_;
    std::uint64_t count_ = 0;
};

enum class RowsEnd : std::uint8_t { Written, Refused, ReadFailed };

// Reads the header, then each row as a record, and writes the records while
// no row has been refused.
class RowImport {
public:
    RowImport(io::InputFile& input, const ImportRequest& request, Refusals& refusals, NameTally& names)
        : reader_(input, request.format, MostImportColumns), request_(request), refusals_(refusals), names_(names) {}

    RowsEnd writeRows(io::OutputFile& out) {
        RowRead read = RowRead::End;
        if (!readHeaderRow(read)) {
            return read == RowRead::Failed ? RowsEnd::ReadFailed : RowsEnd::Refused;
        }
        RecordView record;
        while ((read = reader_.next()) != RowRead::End) {
            if (read == RowRead::Failed) {
                return RowsEnd::ReadFailed;
            }
            if (read == RowRead::Refused) {
                refusals_.add(reader_.refusal(), &layout_);
            } else if (const auto problem = readRow(reader_.fields(), layout_, record)) {
                refuseRow(*problem);
            } else if (refusals_.count() == 0) {
                writeRecord(out, record);
                names_.add(record.name, ++written_, bytes_);
                bytes_ += RecordFixedSize + record.name.size() + (record.info ? record.info->size() : 0);
            }
        }
        return refusals_.count() == 0 ? RowsEnd::Written : RowsEnd::Refused;
    }

    std::uint64_t written() const { return written_; }
    const TableReader& reader() const { return reader_; }

private:
    // Reads the header and lays out the columns; false when it is refused,
    // missing, or cannot be read (read then says so).
    bool readHeaderRow(RowRead& read) {
        read = reader_.next();
        if (read == RowRead::Failed) {
            return false;
        }
        if (read == RowRead::End) {
            refusals_.add({1, 1, 0, "the input is empty: it has no header"}, nullptr);
            return false;
        }
        if (read == RowRead::Refused) {
            refusals_.add(reader_.refusal(), nullptr);
            return false;
        }
        if (const auto problem = readHeader(reader_.fields(), request_.columns, request_.format, layout_)) {
            refuseRow(*problem, false);
            return false;
        }
        // Rows with more fields than the header are refused at the first
        // extra one, or, for headers of up to four columns, where a row of
        // more than four fields always was.
        reader_.setMaxFields(std::max(layout_.count, TableReader::DefaultMaxFields));
        return true;
    }

    void refuseRow(const FieldProblem& problem, bool labelled = true) {
        const auto fields = reader_.fields();
        const std::size_t at = std::min(problem.column, fields.size());
        const std::uint64_t physical = at > 0 ? fields[at - 1].line : reader_.line();
        refusals_.add({reader_.line(), physical, problem.column, problem.reason}, labelled ? &layout_ : nullptr);
    }

    TableReader reader_;
    const ImportRequest& request_;
    Refusals& refusals_;
    NameTally& names_;
    ColumnLayout layout_;
    std::uint64_t written_ = 0;
    std::uint64_t bytes_ = 0;
};

void warnEmptyLines(const RowImport& rows, const std::string& input, ToolMessages& messages) {
    const TableReader& reader = rows.reader();
    if (reader.emptyLines() > 0) {
        messages.warning() << input << " has " << counted(reader.emptyLines(), "empty line")
                           << ", passed over (the first at line " << reader.firstEmptyLine() << ")\n";
    }
}

void warnRepeatedNames(const NameTally& names, ToolMessages& messages) {
    if (names.repeatedNames() == 0) {
        return;
    }
    std::ostream& warning = messages.warning();
    warning << counted(names.repeatedNames(), "name") << " occurring more than once, kept as DBload keeps them:";
    const char* separator = " ";
    for (const NameTally::Repeat& repeat : names.firstRepeats()) {
        warning << separator << displayText(repeat.name) << ' ' << counted(repeat.count, "time") << " from row "
                << repeat.firstRecord;
        separator = "; ";
    }
    warning << (names.repeatedNames() > names.firstRepeats().size() ? "; ...\n" : "\n");
}

// Counts the repeated names to the end: by reading the written file again
// where the names did not fit the budget, or in the one pass made where it
// cannot be read again. False when the file cannot be read again.
bool finishNames(const std::string& output, bool rereadable, NameTally& names) {
    if (!rereadable) {
        return names.endPass();
    }
    io::InputFile written;
    return written.open(output) && finishTally(written, names);
}

}  // namespace

ToolOutcome importFile(const ImportRequest& request, ToolMessages& messages) {
    const auto target = examineOutput(request.input, request.output, messages.errors());
    io::InputFile input;
    if (!target || !openInput(input, request.input, messages.errors())) {
        return ToolOutcome(CannotProceed);
    }
    // The names are counted within a budget as the rows go out; further
    // passes, where needed, read the written file again. An output that
    // cannot be read again (a device) is counted in one pass.
    const bool rereadable = !target->exists || target->regular;
    NameTally names(rereadable ? NameTally::Budget : NameTally::Unbounded);
    Refusals refusals(request.input, messages);
    RowImport rows(input, request, refusals, names);
    bool readFailed = false;
    const OutputWritten outcome = writeOutput(
        request.output,
        [&](io::OutputFile& out) {
            const RowsEnd end = rows.writeRows(out);
            readFailed = end == RowsEnd::ReadFailed;
            return end == RowsEnd::Written;
        },
        messages.errors());
    if (outcome == OutputWritten::Failed) {
        return ToolOutcome(CannotProceed);
    }
    if (outcome == OutputWritten::Abandoned) {
        if (readFailed) {
            reportUnreadable(request.input, messages.errors());
            return ToolOutcome(CannotProceed);
        }
        refusals.close();
        return ToolOutcome(HasProblems);
    }
    warnEmptyLines(rows, request.input, messages);
    if (!finishNames(request.output, rereadable, names)) {
        messages.warning() << request.output << " cannot be read again to count repeated names\n";
    } else {
        warnRepeatedNames(names, messages);
    }
    return ToolOutcome(AllWell, rows.written());
}

}  // namespace recdb
