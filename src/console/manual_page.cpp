#include "console/manual_page.hpp"

#include <sys/stat.h>
#include <string>
#include <string_view>
#include <vector>

#include "io/system_calls.hpp"

namespace recdb {

namespace {

// The entries of a colon-separated list; an empty list has none.
std::vector<std::string_view> entriesOf(std::string_view list) {
    std::vector<std::string_view> entries;
    if (list.empty()) {
        return entries;
    }
    for (;;) {
        const std::size_t colon = list.find(':');
        entries.push_back(list.substr(0, colon));
        if (colon == std::string_view::npos) {
            return entries;
        }
        list.remove_prefix(colon + 1);
    }
}

bool isFile(const std::string& path, bool executable) {
    io::FileStatus info{};
    return io::systemCalls().stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           (!executable || (info.st_mode & 0111) != 0);
}

// The manual directories that man uses when MANPATH does not say.
void addUsualDirectories(std::vector<std::string>& directories, std::string_view path) {
    for (const std::string_view directory : entriesOf(path)) {
        if (directory.ends_with("/bin") || directory.ends_with("/sbin")) {
            const std::string prefix(directory.substr(0, directory.rfind('/')));
            directories.push_back(prefix + "/share/man");
            directories.push_back(prefix + "/man");
        }
    }
    directories.emplace_back("/usr/local/share/man");
    directories.emplace_back("/usr/share/man");
}

}  // namespace

bool manualPageInstalled(const char* path, const char* manPath) {
    const std::string_view programPath = path != nullptr ? path : "";
    bool manFound = false;
    for (const std::string_view directory : entriesOf(programPath)) {
        if (!directory.empty() && isFile(std::string(directory) + "/man", true)) {
            manFound = true;
            break;
        }
    }
    if (!manFound) {
        return false;
    }
    std::vector<std::string> directories;
    const std::string_view manualPath = manPath != nullptr ? manPath : "";
    if (manualPath.empty()) {
        addUsualDirectories(directories, programPath);
    }
    for (const std::string_view entry : entriesOf(manualPath)) {
        if (entry.empty()) {
            addUsualDirectories(directories, programPath);
        } else {
            directories.emplace_back(entry);
        }
    }
    for (const std::string& directory : directories) {
        for (const char* page : {"/man1/recdb.1", "/man1/recdb.1.gz"}) {
            if (isFile(directory + page, false)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace recdb
