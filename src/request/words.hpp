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

// Calls visit(KeyValue) for each word of the text that holds an "=", split
// at its first "=", up to the word "end"; other words are skipped.
template <typename Visit>
void forEachKeyValue(std::string_view text, Visit visit) {
    WordReader words(text);
    std::string_view word;
    while (words.next(word) && word != "end") {
        const std::size_t equals = word.find('=');
        if (equals != std::string_view::npos) {
            visit(KeyValue{word.substr(0, equals), word.substr(equals + 1)});
        }
    }
}

}  // namespace recdb
