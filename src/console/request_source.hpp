#pragma once

#include <cstddef>
#include <string>

namespace recdb {

// The longest request: longer lines are cut to their first 255 bytes.
inline constexpr std::size_t MaxRequestLength = 255;

// Where request lines come from: prompts for one and reads it.
class RequestSource {
public:
    virtual ~RequestSource() = default;
    // Prompts with ">" and takes the next request: its first 255 bytes,
    // without the line end and cut at a zero byte. False when the input has
    // ended.
    virtual bool readRequest(std::string& line) = 0;
};

}  // namespace recdb
