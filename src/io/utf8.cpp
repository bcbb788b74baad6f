#include "io/utf8.hpp"

#include <algorithm>

namespace recdb::io {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The UTF-16 units of a code point: 1 or 2, written to out.
std::size_t encode(char32_t codePoint, char16_t* out) {
    if (codePoint < 0x10000) {
        out[0] = static_cast<char16_t>(codePoint);
        return 1;
    }
    codePoint -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (codePoint >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FFu));
    return 2;
}

}  // namespace

Utf8Sequence decodeUtf8(std::string_view text) {
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    char32_t codePoint = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {0, 0, 1};
    }
    // The second byte has a range of its own, which leaves out overlong
    // forms, surrogates and code points above U+10FFFF; the later ones are
    // 80..BF.
    for (std::size_t k = 1; k < length; ++k) {
        if (k == text.size()) {
            return {0, 0, k, true};
        }
        if (byte(k) < low || byte(k) > high) {
            return {0, 0, k};
        }
        codePoint = (codePoint << 6) | (byte(k) & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return {codePoint, length};
}

bool toUtf16(std::string_view text, std::u16string& out) {
    std::u16string converted;
    converted.reserve(text.size());
    while (!text.empty()) {
        const Utf8Sequence sequence = decodeUtf8(text);
        if (sequence.length == 0) {
            return false;
        }
        char16_t units[2];
        converted.append(units, encode(sequence.codePoint, units));
        text.remove_prefix(sequence.length);
    }
    out = std::move(converted);
    return true;
}

std::string toUtf8(std::u16string_view text) {
    std::string converted;
    converted.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        char32_t codePoint = text[k];
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            const bool paired =
                codePoint < 0xDC00 && k + 1 < text.size() && text[k + 1] >= 0xDC00 && text[k + 1] <= 0xDFFF;
            codePoint = paired ? 0x10000 + ((codePoint - 0xD800) << 10) + (text[++k] - 0xDC00u) : Replacement;
        }
        if (codePoint < 0x80) {
            converted += static_cast<char>(codePoint);
        } else if (codePoint < 0x800) {
            converted += static_cast<char>(0xC0 | (codePoint >> 6));
            converted += static_cast<char>(0x80 | (codePoint & 0x3Fu));
        } else if (codePoint < 0x10000) {
            converted += static_cast<char>(0xE0 | (codePoint >> 12));
            converted += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3Fu));
            converted += static_cast<char>(0x80 | (codePoint & 0x3Fu));
        } else {
            converted += static_cast<char>(0xF0 | (codePoint >> 18));
            converted += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3Fu));
            converted += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3Fu));
            converted += static_cast<char>(0x80 | (codePoint & 0x3Fu));
        }
    }
    return converted;
}

ShownText toShownUtf16(std::string_view bytes, char16_t* out, std::size_t room) {
    ShownText shown;
    while (shown.bytes < bytes.size()) {
        const Utf8Sequence sequence = decodeUtf8(bytes.substr(shown.bytes));
        char16_t units[2];
        const std::size_t count = encode(sequence.length == 0 ? Replacement : sequence.codePoint, units);
        if (sequence.cut || shown.units + count > room) {
            break;
        }
        std::copy_n(units, count, out + shown.units);
        shown.units += count;
        shown.bytes += sequence.length == 0 ? 1 : sequence.length;
    }
    return shown;
}

}  // namespace recdb::io
