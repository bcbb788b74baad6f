#pragma once

#include <string_view>

namespace recdb {

// Cuts the argument text of a normalised request at each space into words,
// from left to right. The text after the last space is the last word, which
// may be empty: an empty text is one empty word.
class WordReader {
public:
    explicit WordReader(std::string_view text) : rest_(text) {}

    // The next word, or false once the last word has been taken.
    bool next(std::string_view& word) {
        if (finished_) {
            return false;
        }
        const std::size_t space = rest_.find(' ');
        if (space == std::string_view::npos) {
            word = rest_;
            rest_ = rest_.substr(rest_.size());
            finished_ = true;
        } else {
            word = rest_.substr(0, space);
            rest_ = rest_.substr(space + 1);
        }
        return true;
    }

    // The text after the last word taken.
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
    bool finished_ = false;
};

// A key=value word split at its first "=".
struct KeyValue {
    std::string_view key;
    std::string_view value;
};

// Splits a word at its first "="; false for a word without one.
inline bool splitKeyValue(std::string_view word, KeyValue& out) {
    const std::size_t equals = word.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    out = {word.substr(0, equals), word.substr(equals + 1)};
    return true;
}

}  // namespace recdb
