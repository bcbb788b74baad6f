#pragma once

#include "exchange/record_fields.hpp"
#include "io/output_file.hpp"
#include "store/record.hpp"

namespace recdb {

// Records as tab-separated values with the header name, group, rating, info
// and LF line ends. Inside a field, tab, line feed, carriage return and
// backslash are written \t, \n, \r and \\; an absent info is \N. All other
// bytes pass through unchanged.
class TsvWriter {
public:
    explicit TsvWriter(io::OutputFile& out) : out_(out) {}

    void writeHeader();
    void writeRecord(const RecordView& record);

    // How each kind of field looks (see writeFields).
    void field(TableColumn column, std::string_view text);
    void field(TableColumn column, std::int32_t number);
    void field(TableColumn column, RatingValue rating);
    void field(TableColumn column, std::optional<std::string_view> text);

private:
    void separate(TableColumn column);
    void writeText(std::string_view text);

    io::OutputFile& out_;
};

}  // namespace recdb
