#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/input_file.hpp"

namespace recdb {

enum class TableFormat : std::uint8_t { Csv, Tsv };

// One field of a row, its escapes and quotes undone.
struct TableField {
    std::string text;
    // No value: in CSV an empty field without quotes, in TSV the field \N.
    bool absent = false;
    // The line on which the field begins (lines from 1); in CSV a quoted
    // field's opening quote stands there.
    std::uint64_t line = 0;
};

// Why a row was refused: line is the row's first line, physicalLine the
// line of the problem itself (the line where a quote left open was opened),
// column the number of the field (from 1).
struct TableRefusal {
    std::uint64_t line = 0;
    std::uint64_t physicalLine = 0;
    std::size_t column = 0;
    std::string reason;
};

enum class RowRead : std::uint8_t {
    Row,      // fields() holds the row
    End,      // no more rows
    Refused,  // the row breaks the format; refusal() says where and why
    Failed,   // reading the input failed
};

// Reads rows of CSV or TSV one after another, strictly, with a small state
// machine for each format over the input's buffered bytes (no copy beyond
// each field's text, no allocation per row once the fields have grown).
//
// CSV (RFC 4180): fields separated by commas, rows ended by LF or CRLF; a
// field may be quoted, whatever it holds, and then holds commas, line ends
// and doubled quotes. A quote inside an unquoted field, text after a closing
// quote, a CR not followed by LF outside quotes, and a quote left open at the
// end are refused. TSV: fields separated by tabs, rows ended by LF or CRLF;
// \t, \n, \r and \\ stand for tab, LF, CR and backslash; \N as a whole field
// is no value; any other backslash and a CR elsewhere are refused. Both
// accept a byte-order mark at the start, and a last row without a line end.
// An empty line (nothing between two line ends, outside quotes) is no row:
// it is passed over and counted. A refused row is passed over up to the end
// of its line, so that reading goes on and every refused row can be
// reported. A row of more than maxFields fields is refused.
class TableReader {
public:
    static constexpr std::size_t DefaultMaxFields = 4;

    TableReader(io::InputFile& input, TableFormat format, std::size_t maxFields = DefaultMaxFields)
        : input_(input), format_(format), maxFields_(maxFields) {}

    [[nodiscard]] RowRead next();
    std::span<const TableField> fields() const { return {fields_.data(), count_}; }
    // The line on which the row last read began (lines from 1).
    std::uint64_t line() const { return rowLine_; }
    const TableRefusal& refusal() const { return refusal_; }
    // The rows that follow may hold up to this many fields.
    void setMaxFields(std::size_t maxFields) { maxFields_ = maxFields; }
    // The empty lines passed over so far, and the first of them.
    std::uint64_t emptyLines() const { return emptyLines_; }
    std::uint64_t firstEmptyLine() const { return firstEmptyLine_; }

private:
    enum class CsvState : std::uint8_t { FieldStart, Plain, Quoted, QuoteInQuoted, AfterCr };
    enum class TsvState : std::uint8_t { Text, Escape, AfterCr };
    enum class Step : std::uint8_t { NeedMore, RowDone };

    void startRow();
    Step stepCsv();
    Step stepTsv();
    // The end of the input inside a row of either format.
    void finishCsv();
    void finishTsv();
    RowRead finish();
    bool rowStarted() const;
    void startField();
    // Ends the field being read (refusing the row where it cannot end so)
    // and, unless the row has as many as it may, begins the next.
    void nextField();
    // Ends the row at a line end; an empty line is passed over instead.
    Step endRow();
    // Passes over the rest of a refused row's line; false when the chunk
    // ended first.
    bool skipLine();
    void endField();
    void refuse(std::string reason) { refuseAt(line_, std::move(reason)); }
    void refuseAt(std::uint64_t physicalLine, std::string reason);
    TableField& field() { return fields_[count_]; }
    // Appends the bytes from pos_ up to the first of the stop bytes and
    // stops there; false when the chunk ended first.
    bool appendUntil(const std::array<bool, 256>& stops);

    io::InputFile& input_;
    TableFormat format_;
    std::size_t maxFields_;
    std::string_view chunk_;
    std::size_t pos_ = 0;
    bool started_ = false;
    bool ended_ = false;
    CsvState csv_ = CsvState::FieldStart;
    TsvState tsv_ = TsvState::Text;
    bool skipping_ = false;  // passing over the rest of a refused row
    std::vector<TableField> fields_;
    std::size_t count_ = 0;
    bool quoted_ = false;
    bool noValue_ = false;
    bool refused_ = false;
    std::uint64_t line_ = 1;
    std::uint64_t rowLine_ = 1;
    std::uint64_t emptyLines_ = 0;
    std::uint64_t firstEmptyLine_ = 0;
    TableRefusal refusal_;
};

}  // namespace recdb
