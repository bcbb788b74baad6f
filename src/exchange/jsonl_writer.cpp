#include "exchange/jsonl_writer.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "exchange/number_text.hpp"
#include "exchange/record_fields.hpp"
#include "io/utf8.hpp"

namespace recdb {

namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

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
            const io::Utf8Sequence sequence = io::decodeUtf8(text.substr(plain));
            if (sequence.length > 0) {
                plain += sequence.length;
                continue;
            }
            out_.write(text.substr(0, plain));
            out_.write(Replacement);
            ++replacements_;
            text.remove_prefix(plain + sequence.badLength);
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
