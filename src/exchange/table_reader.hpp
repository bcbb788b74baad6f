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
};

// Why a row was refused; column is the number of the field (from 1).
struct TableRefusal {
    std::uint64_t line = 0;
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
// machine over the input's buffered bytes (no copy beyond each field's text,
// no allocation per row once the fields have grown).
//
// CSV (RFC 4180): fields separated by commas, rows ended by LF or CRLF; a
// field may be quoted, whatever it holds, and then holds commas, line ends
// and doubled quotes. A quote inside an unquoted field, text after a closing
// quote, a CR not followed by LF outside quotes, and a quote left open at the
// end are refused. TSV: fields separated by tabs, rows ended by LF or CRLF;
// \t, \n, \r and \\ stand for tab, LF, CR and backslash; \N as a whole field
// is no value; any other backslash and a CR elsewhere are refused. Both
// accept a byte-order mark at the start, and a last row without a line end.
// A refused row is passed over up to the end of its line, so that reading
// goes on and every refused row can be reported. A row of more than
// MaxFields fields is refused.
class TableReader {
public:
    static constexpr std::size_t MaxFields = 4;

    TableReader(io::InputFile& input, TableFormat format) : input_(input), format_(format) {}

    [[nodiscard]] RowRead next();
    std::span<const TableField> fields() const { return {fields_.data(), count_}; }
    // The line on which the row last read began (lines from 1).
    std::uint64_t line() const { return rowLine_; }
    const TableRefusal& refusal() const { return refusal_; }

private:
    enum class State : std::uint8_t { FieldStart, Plain, Quoted, QuoteInQuoted, Escape, AfterCr, SkipLine };
    enum class Step : std::uint8_t { NeedMore, RowDone };

    Step stepCsv();
    Step stepTsv();
    RowRead finish();
    void startField();
    // Ends the field being read (refusing the row where it cannot end so)
    // and, unless the row has as many as it may, begins the next.
    void nextField();
    Step endRow();
    // Passes over the rest of a refused row's line; false when the chunk
    // ended first.
    bool skipLine();
    void endField();
    void refuse(std::string reason);
    TableField& field() { return fields_[count_]; }
    // Appends the bytes from pos_ up to the first of the stop bytes and
    // stops there; false when the chunk ended first.
    bool appendUntil(const std::array<bool, 256>& stops);

    io::InputFile& input_;
    TableFormat format_;
    std::string_view chunk_;
    std::size_t pos_ = 0;
    bool started_ = false;
    bool ended_ = false;
    State state_ = State::FieldStart;
    std::vector<TableField> fields_;
    std::size_t count_ = 0;
    bool quoted_ = false;
    bool noValue_ = false;
    bool rowBegun_ = false;
    bool refused_ = false;
    std::uint64_t line_ = 1;
    std::uint64_t rowLine_ = 1;
    TableRefusal refusal_;
};

}  // namespace recdb
