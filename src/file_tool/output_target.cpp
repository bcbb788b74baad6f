#include "file_tool/output_target.hpp"

#include <cerrno>
#include <cstring>

#include "io/file_writer.hpp"
#include "io/system_calls.hpp"

namespace recdb {

bool sameFile(const std::string& first, const std::string& second) {
    io::FileStatus a{};
    io::FileStatus b{};
    return io::systemCalls().stat(first.c_str(), &a) == 0 && io::systemCalls().stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool writeOutput(const std::string& path, const std::function<void(io::OutputFile&)>& fill, std::ostream& err) {
    errno = 0;
    const io::WriteOutcome outcome = io::writeFile(path, fill);
    const int reason = errno;
    switch (outcome) {
    case io::WriteOutcome::Written:
        return true;
    case io::WriteOutcome::CannotOpen:
        err << "recdb-file: cannot create or open " << path << " for writing";
        break;
    case io::WriteOutcome::Failed:
        err << "recdb-file: writing " << path << " failed";
        break;
    }
    if (reason != 0) {
        err << ": " << std::strerror(reason);
    }
    err << "; nothing was written\n";
    return false;
}

void reportUnreadable(const std::string& path, std::ostream& err) {
    const int reason = errno;
    err << "recdb-file: cannot read " << path;
    if (reason != 0) {
        err << ": " << std::strerror(reason);
    }
    err << '\n';
}

}  // namespace recdb
