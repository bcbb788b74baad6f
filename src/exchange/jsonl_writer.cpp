#include "exchange/jsonl_writer.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "exchange/number_text.hpp"
#include "exchange/record_fields.hpp"

namespace recdb {

namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence that text begins with, or 0 when
// it begins with a bad one; then bad is the length of its maximal subpart
// (the bytes replaced by one U+FFFD).
std::size_t validSequence(std::string_view text, std::size_t& bad) {
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        bad = 1;
        return 0;
    }
    // The second byte has its own range; the later ones are 80..BF.
    for (std::size_t k = 1; k < length; ++k) {
        if (k >= text.size() || byte(k) < low || byte(k) > high) {
            bad = k;
            return 0;
        }
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

}  // namespace

void JsonlWriter::writeText(std::string_view text) {
    static constexpr char Hex[] = "0123456789abcdef";
    out_.write("\"");
    std::size_t plain = 0;  // bytes at the front of text still to be written as they are
    while (plain < text.size()) {
        const auto byte = static_cast<unsigned char>(text[plain]);
        if (byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\') {
            ++plain;
            continue;
        }
        if (byte >= 0x80) {
            std::size_t bad = 0;
            if (const std::size_t length = validSequence(text.substr(plain), bad); length > 0) {
                plain += length;
                continue;
            }
            out_.write(text.substr(0, plain));
            out_.write(Replacement);
            ++replacements_;
            text.remove_prefix(plain + bad);
            plain = 0;
            continue;
        }
        out_.write(text.substr(0, plain));
        switch (byte) {
        case '"':
            out_.write("\\\"");
            break;
        case '\\':
            out_.write("\\\\");
            break;
        case '\n':
            out_.write("\\n");
            break;
        case '\r':
            out_.write("\\r");
            break;
        case '\t':
            out_.write("\\t");
            break;
        default: {
            const char escape[] = {'\\', 'u', '0', '0', Hex[byte >> 4], Hex[byte & 0xF]};
            out_.write({escape, sizeof escape});
            break;
        }
        }
        text.remove_prefix(plain + 1);
        plain = 0;
    }
    out_.write(text);
    out_.write("\"");
}

void JsonlWriter::key(TableColumn column) {
    // Each key with what comes before it, made once: one write a field.
    static const std::array<std::string, TableColumnNames.size()> keys = [] {
        std::array<std::string, TableColumnNames.size()> made;
        for (std::size_t k = 0; k < made.size(); ++k) {
            made[k].append(k == 0 ? "{\"" : ",\"").append(TableColumnNames[k]).append("\":");
        }
        return made;
    }();
    out_.write(keys[static_cast<std::size_t>(column)]);
}

void JsonlWriter::field(TableColumn column, std::string_view text) {
    key(column);
    writeText(text);
}

void JsonlWriter::field(TableColumn column, std::int32_t number) {
    key(column);
    out_.write(NumberText(number).view());
}

// The rating is a pair, not a decimal number: it is written as a string.
void JsonlWriter::field(TableColumn column, RatingValue rating) {
    key(column);
    const NumberText text(rating.num, rating.den);
    char quoted[sizeof text + 2];
    quoted[0] = '"';
    std::copy(text.view().begin(), text.view().end(), quoted + 1);
    quoted[text.view().size() + 1] = '"';
    out_.write({quoted, text.view().size() + 2});
}

void JsonlWriter::field(TableColumn column, std::optional<std::string_view> text) {
    key(column);
    if (text) {
        writeText(*text);
    } else {
        out_.write("null");
    }
}

void JsonlWriter::writeRecord(const RecordView& record) {
    writeFields(record, *this);
    out_.write("}\n");
}

}  // namespace recdb
