#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace recdb::io {

// UTF-8 read strictly (overlong forms, surrogates, code points above
// U+10FFFF and cut sequences are not UTF-8), and conversions between UTF-8
// and UTF-16 for the systems whose calls take UTF-16 (Windows).

// What a text (not empty) begins with as UTF-8: a valid sequence (its code
// point and length), or the maximal subpart of one, the bytes that a single
// U+FFFD stands for (badLength, with length 0); cut when the text ends
// inside a sequence that is right so far.
struct Utf8Sequence {
    char32_t codePoint = 0;
    std::size_t length = 0;
    std::size_t badLength = 0;
    bool cut = false;
};
Utf8Sequence decodeUtf8(std::string_view text);

// The UTF-16 form of text; false when text is not valid UTF-8 (out is then
// left as it was).
[[nodiscard]] bool toUtf16(std::string_view text, std::u16string& out);

// The UTF-8 form of text, a surrogate without its pair written as U+FFFD.
std::string toUtf8(std::u16string_view text);

// How much of a text toShownUtf16 took, and how much it gave.
struct ShownText {
    std::size_t bytes = 0;
    std::size_t units = 0;
};

// Converts bytes into at most room UTF-16 units at out, for showing them:
// each byte that does not begin a valid sequence becomes U+FFFD. It stops
// where out is full and before a sequence that bytes ends inside, so that
// the bytes that follow can complete it. Allocates nothing.
ShownText toShownUtf16(std::string_view bytes, char16_t* out, std::size_t room);

}  // namespace recdb::io
