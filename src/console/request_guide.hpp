#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "request/request_type.hpp"

namespace recdb {

// Where a request takes a file name.
enum class FileWord : std::uint8_t {
    None,
    First,     // its first word: DBload FILE
    AfterEnd,  // the word after "end": fileprint FIELD... end FILE
};

// What a person is told about one request, and the words Tab offers after
// its keyword: the one table that the help, the completion and the test of
// the manual page read. The keyword is the parser's own (keywordOf).
struct RequestGuide {
    RequestType type;
    std::string_view form;     // the request's words: "remove name=N"
    std::string_view summary;  // what it does, in a few words
    std::string_view details;  // lines that tell more, each ending in a line end
    std::string_view reply;
    std::string_view example;
    std::span<const std::string_view> arguments;  // the words it takes before the file name
    FileWord file = FileWord::None;
    std::span<const std::string_view> afterFile;  // the words it takes after the file name
};

// The console's own word, no request: at a terminal it shows the guides.
inline constexpr std::string_view HelpWord = "help";

// Every request's guide, in the order of the request types.
std::span<const RequestGuide> requestGuides();

// The keywords in the order of the guides, then "help": every word that
// starts a line the console takes.
std::span<const std::string_view> knownWords();

// Whether two words are the same, the case of ASCII letters aside.
bool sameFolded(std::string_view a, std::string_view b);

// The guide of the request of that keyword (exact, as the parser takes it);
// null for any other word.
const RequestGuide* guideFor(std::string_view keyword);

// The keyword, or "help", that a person most likely meant by a word that
// names no request: the same word in other letters ("dbstore"), a common
// word for it ("quit"), the start of just one keyword ("sel"), or one at
// most two typing slips away ("selct"; one for the short keywords). None
// when nothing is that close.
std::optional<std::string_view> nearestWord(std::string_view word);

}  // namespace recdb
