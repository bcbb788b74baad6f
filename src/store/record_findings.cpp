#include "store/record_findings.hpp"

#include "store/record.hpp"

namespace recdb {

std::string recordPlace(std::uint64_t number, std::uint64_t offset) {
    return "record " + std::to_string(number) + " at byte " + std::to_string(offset);
}

std::string badNameLength(std::int32_t length) {
    return "the name length is " + std::to_string(length) + ", outside 0.." + std::to_string(MaxNameLength);
}

}  // namespace recdb
