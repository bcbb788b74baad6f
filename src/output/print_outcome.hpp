#pragma once

namespace recdb {

enum class PrintOutcome {
    Printed,
    CannotOpen,   // the report file cannot be made or opened for writing
    WriteFailed,  // writing the report failed; an existing file is as it was
    OutOfMemory,
};

// A report's outcome and, after a failure, the system's error number that
// tells why (ENOMEM when memory ran out). It compares equal to its outcome.
struct PrintResult {
    PrintOutcome outcome = PrintOutcome::Printed;
    int error = 0;

    bool operator==(PrintOutcome other) const { return outcome == other; }
};

}  // namespace recdb
