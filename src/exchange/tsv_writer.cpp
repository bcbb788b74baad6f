#include "exchange/tsv_writer.hpp"

#include "exchange/number_text.hpp"

namespace recdb {

void TsvWriter::writeHeader() { out_.write("name\tgroup\trating\tinfo\n"); }

void TsvWriter::writeText(std::string_view text) {
    for (std::size_t special; (special = text.find_first_of("\t\n\r\\")) != std::string_view::npos;) {
        out_.write(text.substr(0, special));
        switch (text[special]) {
        case '\t':
            out_.write("\\t");
            break;
        case '\n':
            out_.write("\\n");
            break;
        case '\r':
            out_.write("\\r");
            break;
        default:
            out_.write("\\\\");
            break;
        }
        text.remove_prefix(special + 1);
    }
    out_.write(text);
}

void TsvWriter::writeRecord(const RecordView& record) {
    writeText(record.name);
    out_.write("\t");
    out_.write(NumberText(record.group).view());
    out_.write("\t");
    out_.write(NumberText(record.ratingNum, record.ratingDen).view());
    out_.write("\t");
    if (record.info) {
        writeText(*record.info);
    } else {
        out_.write("\\N");
    }
    out_.write("\n");
}

}  // namespace recdb
