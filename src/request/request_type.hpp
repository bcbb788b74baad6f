#pragma once

#include <string>
#include <string_view>

namespace recdb {

// The kind of a request line, from its first word.
enum class RequestType {
    Unknown = 0,
    DBload = 1,
    DBstore = 2,
    Insert = 3,
    Remove = 4,
    Select = 5,
    Reselect = 6,
    Print = 7,
    FilePrint = 8,
    Exit = 9,
};

// Drops leading spaces and collapses every run of spaces (character 32 only)
// into one; a trailing run leaves one trailing space.
void normalizeRequest(std::string& line);

// The type of the normalised line's first word (exact, case-sensitive) and
// the rest of the line after that word and its space.
struct ParsedRequest {
    RequestType type;
    std::string_view rest;
};
ParsedRequest parseRequestType(std::string_view line);

// The keyword of a request type; empty for Unknown.
std::string_view keywordOf(RequestType type);

}  // namespace recdb
