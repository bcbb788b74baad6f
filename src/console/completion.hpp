#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace recdb {

// The words that could complete the last word of a request being typed
// (the text before the cursor), as the requests' guides give them: request
// keywords and "help" first, then the argument words of each request (key=
// words, field words, "sort", "end", "HTML") and file names where a file
// name goes; after "help", a keyword. Every candidate begins with the word
// typed so far; a directory ends with "/".
std::vector<std::string> completionsFor(std::string_view typed);

// The longest text that every candidate begins with.
std::string commonPrefix(const std::vector<std::string>& candidates);

}  // namespace recdb
