#include "exchange/display_text.hpp"

namespace recdb {

std::string displayText(std::string_view text, std::size_t limit) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    const bool cut = text.size() > limit;
    text = text.substr(0, limit);
    std::string shown = "\"";
    for (const char byte : text) {
        const auto code = static_cast<unsigned char>(byte);
        if (byte == '"' || byte == '\\') {
            shown += '\\';
            shown += byte;
        } else if (code < 0x20 || code >= 0x7F) {
            shown += "\\x";
            shown += Hex[code >> 4];
            shown += Hex[code & 0xF];
        } else {
            shown += byte;
        }
    }
    shown += '"';
    if (cut) {
        shown += "...";
    }
    return shown;
}

}  // namespace recdb
