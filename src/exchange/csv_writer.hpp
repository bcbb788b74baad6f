#pragma once

#include <string>

#include "io/output_file.hpp"
#include "store/record.hpp"

namespace recdb {

// Records as CSV (RFC 4180) with the header name,group,rating,info and LF
// line ends. A field is quoted only when it must be: when it holds a comma,
// a quote, CR or LF, or begins or ends with a space; quotes inside are
// doubled. The rating is num.den as stored. An absent info is an empty
// unquoted field and an empty info is "", so the two stay apart. All other
// bytes pass through unchanged.
class CsvWriter {
public:
    explicit CsvWriter(io::OutputFile& out) : out_(out) {}

    void writeHeader();
    void writeRecord(const RecordView& record);

private:
    io::OutputFile& out_;
    std::string long_;  // a row longer than the output's buffer
};

}  // namespace recdb
