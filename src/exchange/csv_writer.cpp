#include "exchange/csv_writer.hpp"

#include "exchange/number_text.hpp"

namespace recdb {

namespace {

bool needsQuotes(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    if (text.front() == ' ' || text.back() == ' ') {
        return true;
    }
    return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

}  // namespace

void CsvWriter::writeHeader() { out_.write("name,group,rating,info\n"); }

void CsvWriter::writeText(std::string_view text) {
    if (!needsQuotes(text)) {
        out_.write(text);
        return;
    }
    out_.write("\"");
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
        out_.write(text.substr(0, quote + 1));
        out_.write("\"");
        text.remove_prefix(quote + 1);
    }
    out_.write(text);
    out_.write("\"");
}

void CsvWriter::writeRecord(const RecordView& record) {
    if (record.name.empty()) {
        out_.write("\"\"");
    } else {
        writeText(record.name);
    }
    out_.write(",");
    out_.write(NumberText(record.group).view());
    out_.write(",");
    out_.write(NumberText(record.ratingNum, record.ratingDen).view());
    out_.write(",");
    if (record.info) {
        if (record.info->empty()) {
            out_.write("\"\"");
        } else {
            writeText(*record.info);
        }
    }
    out_.write("\n");
}

}  // namespace recdb
