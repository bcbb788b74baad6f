#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "io/output_file.hpp"

namespace recdb {

// Whether two paths name the same existing file (device and inode, links
// followed).
bool sameFile(const std::string& first, const std::string& second);

// Writes an output file as a database store does (see io::writeFile): true
// when written; otherwise says why on err, and nothing was replaced. fill may
// throw to leave the file alone; the exception passes through.
bool writeOutput(const std::string& path, const std::function<void(io::OutputFile&)>& fill, std::ostream& err);

// The message for a file that cannot be read, with the reason errno gives.
void reportUnreadable(const std::string& path, std::ostream& err);

}  // namespace recdb
