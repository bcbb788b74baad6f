#include "io/paths.hpp"

namespace recdb::io {

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool isAbsolutePath(std::string_view path) { return path.starts_with('/'); }

}  // namespace recdb::io
