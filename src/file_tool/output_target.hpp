#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "io/input_file.hpp"
#include "io/output_file.hpp"

namespace recdb {

// The steps that every command takes with its files: opening the input,
// making sure the output is not the input, writing the output whole.

// Opens a command's input; false, said on err, when it cannot be read.
[[nodiscard]] bool openInput(io::InputFile& file, const std::string& path, std::ostream& err);

// What is known of an output path before it is written.
struct OutputTarget {
    bool exists = false;
    bool regular = false;  // a regular file, which can be read again
};

// Looks at the output of a command that reads input (links followed).
// Nothing, said on err, when the input cannot be examined (as a file that
// cannot be read), when output names the input file itself (the same device
// and inode; the message ends with selfRefusal), or when the output cannot be
// examined for another reason than its absence or a directory on its way
// that cannot be searched (which the writing then reports).
std::optional<OutputTarget> examineOutput(const std::string& input, const std::string& output, std::ostream& err,
                                          std::string_view selfRefusal = "");

enum class OutputWritten {
    Written,
    Abandoned,  // fill gave up: nothing was replaced
    Failed,     // the file could not be written; said on err, nothing was replaced
};

// Writes an output file as a database store does (see io::writeFile). fill
// writes the content and returns false to give the file up.
OutputWritten writeOutput(const std::string& path, const std::function<bool(io::OutputFile&)>& fill, std::ostream& err);

// The message for a file that cannot be read, with the reason errno gives.
void reportUnreadable(const std::string& path, std::ostream& err);

}  // namespace recdb
