#pragma once

#include <cstdint>
#include <string>

namespace recdb {

// The exit statuses of recdb-file, as cmp and fsck use them.
enum ToolStatus : int {
    AllWell = 0,
    HasProblems = 1,    // the file has problems, or some input was refused
    CannotProceed = 2,  // a usage error, or a file that cannot be read or written
};

// "1 record", "2 records"; the plural is the noun and "s" unless given.
std::string counted(std::uint64_t count, const std::string& noun, const std::string& plural = "");

}  // namespace recdb
