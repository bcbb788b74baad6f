#pragma once

#include <cstdint>
#include <string>

namespace recdb {

// The words for what reading a database file met, shared by recdb's account
// of a failed load and by recdb-file check, so that both say it alike.

// A record by its number (from 1) and byte offset: "record 3 at byte 62".
std::string recordPlace(std::uint64_t number, std::uint64_t offset);

// A name length that no record can have: "the name length is 64, outside
// 0..63".
std::string badNameLength(std::int32_t length);

}  // namespace recdb
