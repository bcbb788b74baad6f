#pragma once

#include <cstdint>
#include <string>

namespace recdb::io {

// Appends a count as people read it, its thousands grouped by commas:
// "1,204".
void appendGrouped(std::string& text, std::uint64_t number);

}  // namespace recdb::io
