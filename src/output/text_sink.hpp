#pragma once

#include <string_view>

namespace recdb {

// Where console listings go, one complete line (with its line end) at a time.
class TextSink {
public:
    virtual ~TextSink() = default;
    virtual void writeLine(std::string_view line) = 0;
};

}  // namespace recdb
