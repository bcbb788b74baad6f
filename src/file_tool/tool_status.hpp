#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace recdb {

// The exit statuses of recdb-file, as cmp and fsck use them.
enum ToolStatus : int {
    AllWell = 0,
    HasProblems = 1,    // the file has problems, or some input was refused
    CannotProceed = 2,  // a usage error, or a file that cannot be read or written
};

// What a command that writes a database or text file did: its exit status
// and, when it wrote its output file, the records written.
struct ToolOutcome {
    explicit ToolOutcome(int statusOf = AllWell, std::optional<std::uint64_t> written = std::nullopt)
        : status(statusOf), recordsWritten(written) {}

    int status;
    std::optional<std::uint64_t> recordsWritten;
};

// "1 record", "2 records"; the plural is the noun and "s" unless given.
std::string counted(std::uint64_t count, const std::string& noun, const std::string& plural = "");

}  // namespace recdb
