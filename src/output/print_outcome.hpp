#pragma once

namespace recdb {

enum class PrintOutcome {
    Printed,
    CannotOpen,   // the report file cannot be made or opened for writing
    WriteFailed,  // writing the report failed; an existing file is as it was
    OutOfMemory,
};

}  // namespace recdb
