#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace recdb {

// The longest request: longer lines are cut to their first 255 bytes.
inline constexpr std::size_t MaxRequestLength = 255;

// Room for the longest question asked before changes are dropped (about 230
// bytes: its words, a count with its commas and a file name), made once so
// that asking allocates nothing.
inline constexpr std::size_t MaxQuestionLength = 512;

// What came of asking a person a question.
enum class Answer {
    Given,     // a line was typed, maybe empty
    Declined,  // Ctrl-C or Ctrl-D
    Ended,     // the input has ended, or there is nobody to ask
};

// Where request lines come from: prompts for one and reads it.
class RequestSource {
public:
    virtual ~RequestSource() = default;
    // Prompts with ">" and takes the next request: its first 255 bytes,
    // without the line end and cut at a zero byte. False when the input has
    // ended.
    virtual bool readRequest(std::string& line) = 0;
    // Where someone can answer: shows the question on standard error and
    // reads the line typed after it into answer, as a request is taken.
    virtual Answer ask(std::string_view question, std::string& answer) = 0;
};

}  // namespace recdb
