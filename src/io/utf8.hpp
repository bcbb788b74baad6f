#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace recdb::io {

// Conversions between UTF-8 and UTF-16, for the systems whose calls take
// UTF-16 (Windows). UTF-8 is read strictly: overlong forms, surrogates,
// code points above U+10FFFF and cut sequences are not UTF-8.

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
