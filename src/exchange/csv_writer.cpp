#include "exchange/csv_writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "exchange/record_fields.hpp"

namespace recdb {

namespace {

constexpr std::array<bool, 256> QuotedBytes = [] {
    std::array<bool, 256> quoted{};
    for (const char byte : {',', '"', '\r', '\n'}) {
        quoted[static_cast<unsigned char>(byte)] = true;
    }
    return quoted;
}();

// The most bytes a row takes: every text byte a doubled quote, two quotes
// around each text, three numbers, separators and the line end.
std::size_t mostBytes(const RecordView& record) {
    return 2 * (record.name.size() + (record.info ? record.info->size() : 0)) + 48;
}

bool needsQuotes(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    if (text.front() == ' ' || text.back() == ' ') {
        return true;
    }
    return std::any_of(text.begin(), text.end(),
                       [](char byte) { return QuotedBytes[static_cast<unsigned char>(byte)]; });
}

// Writes a text at, quoted where it must be (and, when quoteEmpty, also when
// empty); returns the end of what was written.
char* putText(char* at, std::string_view text, bool quoteEmpty) {
    if (!needsQuotes(text) && !(quoteEmpty && text.empty())) {
        return std::copy(text.begin(), text.end(), at);
    }
    *at++ = '"';
    for (const char byte : text) {
        *at++ = byte;
        if (byte == '"') {
            *at++ = '"';
        }
    }
    *at++ = '"';
    return at;
}

char* putNumber(char* at, std::int32_t value) { return std::to_chars(at, at + 11, value).ptr; }

// Puts a record's fields into a row at a place in memory.
class CsvForm {
public:
    explicit CsvForm(char* at) : at_(at) {}

    void field(TableColumn column, std::string_view text) {
        separate(column);
        at_ = putText(at_, text, true);
    }
    void field(TableColumn column, std::int32_t number) {
        separate(column);
        at_ = putNumber(at_, number);
    }
    void field(TableColumn column, RatingValue rating) {
        separate(column);
        at_ = putNumber(at_, rating.num);
        *at_++ = '.';
        at_ = putNumber(at_, rating.den);
    }
    // An absent info is an empty field without quotes.
    void field(TableColumn column, std::optional<std::string_view> text) {
        separate(column);
        if (text) {
            at_ = putText(at_, *text, true);
        }
    }
    char* end() const { return at_; }

private:
    void separate(TableColumn column) {
        if (column != TableColumn::Name) {
            *at_++ = ',';
        }
    }

    char* at_;
};

}  // namespace

void CsvWriter::writeHeader() {
    writeHeaderLine(',', [this](std::string_view text) { out_.write(text); });
}

void CsvWriter::writeRecord(const RecordView& record) {
    // The row is put together in the output's buffer, or beside it when
    // longer than the buffer.
    const std::size_t most = mostBytes(record);
    char* const start = out_.room(most);
    if (start == nullptr) {
        long_.resize(most);
    }
    char* const begin = start != nullptr ? start : long_.data();
    CsvForm form(begin);
    writeFields(record, form);
    char* at = form.end();
    *at++ = '\n';
    const auto size = static_cast<std::size_t>(at - begin);
    if (start != nullptr) {
        out_.commit(size);
    } else {
        out_.write({begin, size});
    }
}

}  // namespace recdb
