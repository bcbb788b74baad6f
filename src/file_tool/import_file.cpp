#include "file_tool/import_file.hpp"

#include <array>
#include <cerrno>
#include <string_view>

#include "exchange/display_text.hpp"
#include "exchange/row_record.hpp"
#include "file_tool/name_tally.hpp"
#include "file_tool/output_target.hpp"
#include "file_tool/tool_status.hpp"
#include "io/input_file.hpp"
#include "io/system_calls.hpp"
#include "store/record_writer.hpp"

namespace recdb {

namespace {

constexpr std::uint64_t ListedRefusals = 100;
constexpr std::array<std::string_view, 4> ColumnNames = {"name", "group", "rating", "info"};

// Thrown from the fill so that the output stays as it was.
struct ImportStopped {};

class Refusals {
public:
    Refusals(const std::string& input, std::ostream& err) : input_(input), err_(err) {}

    void add(std::uint64_t line, std::size_t column, const std::string& reason) {
        if (++count_ > ListedRefusals) {
            return;
        }
        err_ << "recdb-file: " << input_ << " line " << line << ", column " << column;
        if (column >= 1 && column <= ColumnNames.size()) {
            err_ << " (" << ColumnNames[column - 1] << ')';
        }
        err_ << ": " << reason << '\n';
    }
    std::uint64_t count() const { return count_; }
    void close() {
        if (count_ > ListedRefusals) {
            err_ << "recdb-file: ... and " << counted(count_ - ListedRefusals, "more refused row") << '\n';
        }
    }

private:
    const std::string& input_;
    std::ostream& err_;
    std::uint64_t count_ = 0;
};

}  // namespace

int importFile(const ImportRequest& request, std::ostream& err) {
    if (sameFile(request.input, request.output)) {
        err << "recdb-file: " << request.output << " is the input file itself\n";
        return CannotProceed;
    }
    io::InputFile file;
    errno = 0;
    if (!file.open(request.input)) {
        reportUnreadable(request.input, err);
        return CannotProceed;
    }
    Refusals refusals(request.input, err);
    // The names are counted within a budget as the rows go out; further
    // passes, where needed, read the written file again. An output that
    // cannot be read again (a device) is counted in one pass.
    io::FileStatus target{};
    const bool rereadable = io::systemCalls().stat(request.output.c_str(), &target) != 0 || S_ISREG(target.st_mode);
    NameTally names(rereadable ? NameTally::Budget : NameTally::Unbounded);
    std::uint64_t written = 0;
    bool readFailed = false;
    const auto fill = [&](io::OutputFile& out) {
        TableReader reader(file, request.format);
        bool hasInfo = true;
        bool headerRead = false;
        std::uint64_t records = 0;
        RecordView record;
        for (RowRead read; (read = reader.next()) != RowRead::End;) {
            if (read == RowRead::Failed) {
                readFailed = true;
                throw ImportStopped{};
            }
            if (read == RowRead::Refused) {
                refusals.add(reader.refusal().line, reader.refusal().column, reader.refusal().reason);
            } else if (!headerRead) {
                if (const auto problem = readHeader(reader.fields(), hasInfo)) {
                    refusals.add(reader.line(), problem->column, problem->reason);
                    throw ImportStopped{};
                }
            } else if (const auto problem = readRow(reader.fields(), hasInfo, record)) {
                refusals.add(reader.line(), problem->column, problem->reason);
            } else if (refusals.count() == 0) {
                names.add(record.name, ++records, written);
                writeRecord(out, record);
                written += 20 + record.name.size() + (record.info ? record.info->size() : 0);
            }
            if (!headerRead && refusals.count() > 0) {
                throw ImportStopped{};
            }
            headerRead = true;
        }
        if (!headerRead) {
            refusals.add(1, 1, "the input is empty: it has no header");
        }
        if (refusals.count() > 0) {
            throw ImportStopped{};
        }
    };
    try {
        if (!writeOutput(request.output, fill, err)) {
            return CannotProceed;
        }
    } catch (const ImportStopped&) {
        if (readFailed) {
            reportUnreadable(request.input, err);
            return CannotProceed;
        }
        refusals.close();
        err << "recdb-file: " << counted(refusals.count(), "row") << " refused; nothing was written\n";
        return HasProblems;
    }
    io::InputFile output;
    const bool tallied = rereadable ? output.open(request.output) && finishTally(output, names) : names.endPass();
    if (!tallied) {
        err << "recdb-file: warning: " << request.output << " cannot be read again to count repeated names\n";
        return AllWell;
    }
    if (names.repeatedNames() > 0) {
        err << "recdb-file: warning: " << counted(names.repeatedNames(), "name")
            << " occurring more than once, kept as DBload keeps them:";
        const char* separator = " ";
        for (const NameTally::Repeat& repeat : names.firstRepeats()) {
            err << separator << displayText(repeat.name) << ' ' << counted(repeat.count, "time") << " from row "
                << repeat.firstRecord;
            separator = "; ";
        }
        err << (names.repeatedNames() > names.firstRepeats().size() ? "; ...\n" : "\n");
    }
    return AllWell;
}

}  // namespace recdb
