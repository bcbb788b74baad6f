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
    count_ = 0;
    rowBegun_ = false;
    refused_ = false;
    rowLine_ = line_;
    state_ = State::FieldStart;
    startField();
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
        rowBegun_ = true;
        if ((format_ == TableFormat::Csv ? stepCsv() : stepTsv()) == Step::RowDone) {
            return refused_ ? RowRead::Refused : RowRead::Row;
        }
    }
}

RowRead TableReader::finish() {
    ended_ = true;
    if (!rowBegun_) {
        return RowRead::End;
    }
    switch (state_) {
    case State::SkipLine:
        break;
    case State::Quoted:
        refuse("a quoted field is not closed at the end of the input");
        break;
    case State::AfterCr:
        refuse("a carriage return ends the input without a line feed");
        break;
    case State::Escape:
        refuse("a backslash ends the input");
        break;
    default:
        endField();
        break;
    }
    return refused_ ? RowRead::Refused : RowRead::Row;
}

void TableReader::startField() {
    if (count_ == fields_.size()) {
        fields_.emplace_back();
    }
    field().text.clear();
    quoted_ = false;
    noValue_ = false;
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
    if (count_ == MaxFields) {
        refuse("more than " + std::to_string(MaxFields) + " fields");
        return;
    }
    startField();
    state_ = State::FieldStart;
}

TableReader::Step TableReader::endRow() {
    ++line_;
    endField();
    return Step::RowDone;
}

void TableReader::refuse(std::string reason) {
    if (!refused_) {
        refused_ = true;
        refusal_ = {line_, count_ + 1, std::move(reason)};
    }
    state_ = State::SkipLine;
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
    while (pos_ < chunk_.size()) {
        switch (state_) {
        case State::SkipLine:
            if (skipLine()) {
                return Step::RowDone;
            }
            break;
        case State::FieldStart:
            if (chunk_[pos_] == '"') {
                ++pos_;
                quoted_ = true;
                state_ = State::Quoted;
                break;
            }
            state_ = State::Plain;
            [[fallthrough]];
        case State::Plain:
            if (!appendUntil(CsvPlainStops)) {
                return Step::NeedMore;
            }
            switch (chunk_[pos_++]) {
            case ',':
                nextField();
                break;
            case '\n':
                return endRow();
            case '\r':
                state_ = State::AfterCr;
                break;
            default:
                refuse("a quote inside a field that does not begin with one");
                break;
            }
            break;
        case State::Quoted:
            if (!appendUntil(CsvQuotedStops)) {
                return Step::NeedMore;
            }
            if (chunk_[pos_++] == '"') {
                state_ = State::QuoteInQuoted;
            } else {
                ++line_;
                field().text += '\n';
            }
            break;
        case State::QuoteInQuoted:
            switch (chunk_[pos_++]) {
            case '"':
                field().text += '"';
                state_ = State::Quoted;
                break;
            case ',':
                nextField();
                break;
            case '\n':
                return endRow();
            case '\r':
                state_ = State::AfterCr;
                break;
            default:
                refuse("text after the closing quote of a field");
                break;
            }
            break;
        case State::AfterCr:
        case State::Escape:
            if (chunk_[pos_] != '\n') {
                refuse("a carriage return without a line feed outside quotes");
                break;
            }
            ++pos_;
            return endRow();
        }
    }
    return Step::NeedMore;
}

TableReader::Step TableReader::stepTsv() {
    while (pos_ < chunk_.size()) {
        switch (state_) {
        case State::SkipLine:
            if (skipLine()) {
                return Step::RowDone;
            }
            break;
        case State::FieldStart:
        case State::Plain:
        case State::Quoted:
        case State::QuoteInQuoted:
            if (!appendUntil(TsvStops)) {
                return Step::NeedMore;
            }
            switch (chunk_[pos_++]) {
            case '\t':
                nextField();
                break;
            case '\n':
                return endRow();
            case '\r':
                state_ = State::AfterCr;
                break;
            default:
                state_ = State::Escape;
                break;
            }
            break;
        case State::Escape: {
            const char escaped = chunk_[pos_++];
            state_ = State::Plain;
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
        case State::AfterCr:
            if (chunk_[pos_] != '\n') {
                refuse("a carriage return without a line feed (write it as \\r)");
                break;
            }
            ++pos_;
            return endRow();
        }
    }
    return Step::NeedMore;
}

}  // namespace recdb
