#include "request/file_arguments.hpp"

#include "request/words.hpp"

namespace recdb {

std::optional<std::string_view> parseFileName(std::string_view rest, std::string& fileName) {
    WordReader words(rest);
    std::string_view word;
    words.next(word);
    if (word.size() > MaxFileNameLength) {
        return std::nullopt;
    }
    fileName.assign(word);
    return words.rest();
}

std::string_view parsePrintType(std::string_view rest, PrintType& printType) {
    WordReader words(rest);
    std::string_view word;
    words.next(word);
    printType = word == "HTML" ? PrintType::Html : PrintType::Text;
    return words.rest();
}

}  // namespace recdb
