#include "exchange/tsv_writer.hpp"

#include "exchange/number_text.hpp"
#include "exchange/record_fields.hpp"

namespace recdb {

void TsvWriter::writeHeader() {
    writeHeaderLine('\t', [this](std::string_view text) { out_.write(text); });
}

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

void TsvWriter::field(TableColumn column, std::string_view text) {
    separate(column);
    writeText(text);
}

void TsvWriter::field(TableColumn column, std::int32_t number) {
    separate(column);
    out_.write(NumberText(number).view());
}

void TsvWriter::field(TableColumn column, RatingValue rating) {
    separate(column);
    out_.write(NumberText(rating.num, rating.den).view());
}

void TsvWriter::field(TableColumn column, std::optional<std::string_view> text) {
    separate(column);
    if (text) {
        writeText(*text);
    } else {
        out_.write("\\N");
    }
}

void TsvWriter::separate(TableColumn column) {
    if (column != TableColumn::Name) {
        out_.write("\t");
    }
}

void TsvWriter::writeRecord(const RecordView& record) {
    writeFields(record, *this);
    out_.write("\n");
}

}  // namespace recdb
