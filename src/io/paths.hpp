#pragma once

#include <string>
#include <string_view>

namespace recdb::io {

// Paths as the system reads them: "/" separates their parts, and on
// Windows "\" too, where a path may also begin with a drive ("C:").

// The directory part of a path, with its final separator; empty for a bare
// name.
std::string directoryOf(const std::string& path);

// Whether a path names its place without the current directory.
bool isAbsolutePath(std::string_view path);

}  // namespace recdb::io
