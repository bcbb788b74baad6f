#pragma once

#include <string_view>

#include "store/record.hpp"

namespace recdb {

// Resets the record, then reads name=, group=, rating=A.B and info= words
// into it, up to the word "end". Unknown words are skipped; "-" and "*" are
// ordinary characters here.
void parseRecordValues(std::string_view text, Record& record);

}  // namespace recdb
