#include "exchange/table_reader.hpp"

#include <utility>

#include "exchange/display_text.hpp"

namespace recdb {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

constexpr std::array<bool, 256> stopsAt(std::string_view bytes) {
    std::array<bool, 256> stops{};
    for (const char byte : bytes) {
        stops[static_cast<unsigned char>(byte)] = true;
    }
    return stops;
}

constexpr auto CsvPlainStops = stopsAt(",\"\r\n");
constexpr auto CsvQuotedStops = stopsAt("\"\n");
constexpr auto TsvStops = stopsAt("\t\n\r\\");

}  // namespace

RowRead TableReader::next() {
    if (ended_) {
        return RowRead::End;
    }
    startRow();
    for (;;) {
        if (pos_ == chunk_.size()) {
            chunk_ = input_.readChunk();
            pos_ = 0;
            if (chunk_.empty()) {
                return input_.failed() ? RowRead::Failed : finish();
            }
            if (!started_) {
                started_ = true;
                pos_ = chunk_.starts_with(ByteOrderMark) ? ByteOrderMark.size() : 0;
                continue;
            }
        }
        if (skipping_) {
            if (skipLine()) {
                return RowRead::Refused;
            }
            continue;
        }
        if ((format_ == TableFormat::Csv ? stepCsv() : stepTsv()) == Step::RowDone) {
            return refused_ ? RowRead::Refused : RowRead::Row;
        }
    }
}

void TableReader::startRow() {
    count_ = 0;
    refused_ = false;
    skipping_ = false;
    rowLine_ = line_;
    startField();
}

RowRead TableReader::finish() {
    ended_ = true;
    if (!rowStarted()) {
        return RowRead::End;
    }
    if (!skipping_) {
        if (format_ == TableFormat::Csv) {
            finishCsv();
        } else {
            finishTsv();
        }
    }
    return refused_ ? RowRead::Refused : RowRead::Row;
}

bool TableReader::rowStarted() const {
    const bool atFieldStart = format_ == TableFormat::Csv ? csv_ == CsvState::FieldStart : tsv_ == TsvState::Text;
    return skipping_ || count_ > 0 || quoted_ || noValue_ || !fields_[count_].text.empty() || !atFieldStart;
}

void TableReader::finishCsv() {
    switch (csv_) {
    case CsvState::Quoted:
        refuseAt(field().line, "a quoted field is not closed at the end of the input");
        break;
    case CsvState::AfterCr:
        refuse("a carriage return ends the input without a line feed");
        break;
    case CsvState::FieldStart:
    case CsvState::Plain:
    case CsvState::QuoteInQuoted:
        endField();
        break;
    }
}

void TableReader::finishTsv() {
    switch (tsv_) {
    case TsvState::Escape:
        refuse("a backslash ends the input");
        break;
    case TsvState::AfterCr:
        refuse("a carriage return ends the input without a line feed");
        break;
    case TsvState::Text:
        endField();
        break;
    }
}

void TableReader::startField() {
    if (count_ == fields_.size()) {
        fields_.emplace_back();
    }
    field().text.clear();
    field().line = line_;
    quoted_ = false;
    noValue_ = false;
    csv_ = CsvState::FieldStart;
    tsv_ = TsvState::Text;
}

void TableReader::endField() {
    TableField& current = field();
    if (noValue_ && !current.text.empty()) {
        refuse("\\N stands for no value only as a whole field");
    }
    current.absent = format_ == TableFormat::Csv ? !quoted_ && current.text.empty() : noValue_;
    ++count_;
}

void TableReader::nextField() {
    endField();
    if (count_ == maxFields_) {
        refuse("more than " + std::to_string(maxFields_) + " fields");
        return;
    }
    startField();
}

TableReader::Step TableReader::endRow() {
    if (count_ == 0 && !quoted_ && !noValue_ && field().text.empty()) {
        if (emptyLines_++ == 0) {
            firstEmptyLine_ = line_;
        }
        ++line_;
        startRow();
        return Step::NeedMore;
    }
    endField();
    ++line_;
    return Step::RowDone;
}

void TableReader::refuseAt(std::uint64_t physicalLine, std::string reason) {
    if (!refused_) {
        refused_ = true;
        refusal_ = {rowLine_, physicalLine, count_ + 1, std::move(reason)};
    }
    skipping_ = true;
}

bool TableReader::skipLine() {
    const std::size_t end = chunk_.find('\n', pos_);
    if (end == std::string_view::npos) {
        pos_ = chunk_.size();
        return false;
    }
    pos_ = end + 1;
    ++line_;
    return true;
}

bool TableReader::appendUntil(const std::array<bool, 256>& stops) {
    std::size_t stop = pos_;
    while (stop < chunk_.size() && !stops[static_cast<unsigned char>(chunk_[stop])]) {
        ++stop;
    }
    field().text.append(chunk_.data() + pos_, stop - pos_);
    pos_ = stop;
    return stop < chunk_.size();
}

TableReader::Step TableReader::stepCsv() {
    while (pos_ < chunk_.size() && !skipping_) {
        switch (csv_) {
        case CsvState::FieldStart:
            if (chunk_[pos_] == '"') {
                ++pos_;
                quoted_ = true;
                csv_ = CsvState::Quoted;
                break;
            }
            csv_ = CsvState::Plain;
            [[fallthrough]];
        case CsvState::Plain:
            if (!appendUntil(CsvPlainStops)) {
                return Step::NeedMore;
            }
            switch (chunk_[pos_++]) {
            case ',':
                nextField();
                break;
            case '\n':
                if (endRow() == Step::RowDone) {
                    return Step::RowDone;
                }
                break;
            case '\r':
                csv_ = CsvState::AfterCr;
                break;
            default:
                refuse("a quote inside a field that does not begin with one");
                break;
            }
            break;
        case CsvState::Quoted:
            if (!appendUntil(CsvQuotedStops)) {
                return Step::NeedMore;
            }
            if (chunk_[pos_++] == '"') {
                csv_ = CsvState::QuoteInQuoted;
            } else {
                ++line_;
                field().text += '\n';
            }
            break;
        case CsvState::QuoteInQuoted:
            switch (chunk_[pos_++]) {
            case '"':
                field().text += '"';
                csv_ = CsvState::Quoted;
                break;
            case ',':
                nextField();
                break;
            case '\n':
                return endRow();
            case '\r':
                csv_ = CsvState::AfterCr;
                break;
            default:
                refuse("text after the closing quote of a field");
                break;
            }
            break;
        case CsvState::AfterCr:
            if (chunk_[pos_] != '\n') {
                refuse("a carriage return without a line feed outside quotes");
                break;
            }
            ++pos_;
            if (endRow() == Step::RowDone) {
                return Step::RowDone;
            }
            break;
        }
    }
    return Step::NeedMore;
}

TableReader::Step TableReader::stepTsv() {
    while (pos_ < chunk_.size() && !skipping_) {
        switch (tsv_) {
        case TsvState::Text:
            if (!appendUntil(TsvStops)) {
                return Step::NeedMore;
            }
            switch (chunk_[pos_++]) {
            case '\t':
                nextField();
                break;
            case '\n':
                if (endRow() == Step::RowDone) {
                    return Step::RowDone;
                }
                break;
            case '\r':
                tsv_ = TsvState::AfterCr;
                break;
            default:
                tsv_ = TsvState::Escape;
                break;
            }
            break;
        case TsvState::Escape: {
            const char escaped = chunk_[pos_++];
            tsv_ = TsvState::Text;
            switch (escaped) {
            case 't':
                field().text += '\t';
                break;
            case 'n':
                field().text += '\n';
                break;
            case 'r':
                field().text += '\r';
                break;
            case '\\':
                field().text += '\\';
                break;
            case 'N':
                if (!field().text.empty() || noValue_) {
                    refuse("\\N stands for no value only as a whole field");
                }
                noValue_ = true;
                break;
            default:
                if (escaped == '\n') {
                    --pos_;  // the line end still ends the refused row
                }
                refuse("an unknown escape " + displayText(std::string{'\\', escaped}));
                break;
            }
            break;
        }
        case TsvState::AfterCr:
            if (chunk_[pos_] != '\n') {
                refuse("a carriage return without a line feed (write it as \\r)");
                break;
            }
            ++pos_;
            if (endRow() == Step::RowDone) {
                return Step::RowDone;
            }
            break;
        }
    }
    return Step::NeedMore;
}

}  // namespace recdb
