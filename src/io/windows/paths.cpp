#include "io/paths.hpp"

namespace recdb::io {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string directoryOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos) {
        return path.substr(0, separator + 1);
    }
    // "C:name" lies in drive C's current directory.
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

// "\\server\share\...", "\...", "C:\...": a drive alone ("C:name") still
// depends on that drive's current directory.
bool isAbsolutePath(std::string_view path) {
    return (!path.empty() && isSeparator(path[0])) || (path.size() >= 3 && path[1] == ':' && isSeparator(path[2]));
}

}  // namespace recdb::io
