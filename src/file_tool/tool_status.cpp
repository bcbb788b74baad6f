#include "file_tool/tool_status.hpp"

namespace recdb {

std::string counted(std::uint64_t count, const std::string& noun, const std::string& plural) {
    return std::to_string(count) + ' ' + (count == 1 ? noun : plural.empty() ? noun + 's' : plural);
}

}  // namespace recdb
