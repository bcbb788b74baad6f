#include "file_tool/output_target.hpp"

#include <cerrno>
#include <cstring>

#include "file_tool/tool_messages.hpp"
#include "io/file_writer.hpp"
#include "io/system_calls.hpp"

namespace recdb {

namespace {

// io::writeFile leaves its target alone when the fill throws: the one way
// it offers to give a file up, kept to this file.
struct GiveUp {};

void reportReason(int reason, std::ostream& err) {
    if (reason != 0) {
        err << ": " << std::strerror(reason);
    }
}

}  // namespace

bool openInput(io::InputFile& file, const std::string& path, std::ostream& err) {
    errno = 0;
    if (file.open(path)) {
        return true;
    }
    reportUnreadable(path, err);
    return false;
}

std::optional<OutputTarget> examineOutput(const std::string& input, const std::string& output, std::ostream& err,
                                          std::string_view selfRefusal) {
    io::FileStatus in{};
    io::FileStatus out{};
    errno = 0;
    if (io::systemCalls().stat(input.c_str(), &in) != 0) {
        reportUnreadable(input, err);
        return std::nullopt;
    }
    errno = 0;
    if (io::systemCalls().stat(output.c_str(), &out) != 0) {
        const int reason = errno;
        if (reason == ENOENT || reason == ENOTDIR || reason == EACCES) {
            return OutputTarget{};
        }
        toolMessage(err) << "cannot tell whether " << output << " is the input file itself";
        reportReason(reason, err);
        err << "; nothing was written\n";
        return std::nullopt;
    }
    if (in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        toolMessage(err) << output << " is the input file itself" << selfRefusal << '\n';
        return std::nullopt;
    }
    return OutputTarget{true, S_ISREG(out.st_mode)};
}

OutputWritten writeOutput(const std::string& path, const std::function<bool(io::OutputFile&)>& fill,
                          std::ostream& err) {
    errno = 0;
    io::WriteOutcome outcome = io::WriteOutcome::Written;
    try {
        outcome = io::writeFile(path, [&fill](io::OutputFile& file) {
            if (!fill(file)) {
                throw GiveUp{};
            }
        });
    } catch (const GiveUp&) {
        return OutputWritten::Abandoned;
    }
    const int reason = errno;
    switch (outcome) {
    case io::WriteOutcome::Written:
        return OutputWritten::Written;
    case io::WriteOutcome::CannotOpen:
        toolMessage(err) << "cannot create or open " << path << " for writing";
        break;
    case io::WriteOutcome::Failed:
        toolMessage(err) << "writing " << path << " failed";
        break;
    }
    reportReason(reason, err);
    err << "; nothing was written\n";
    return OutputWritten::Failed;
}

void reportUnreadable(const std::string& path, std::ostream& err) {
    const int reason = errno;
    toolMessage(err) << "cannot read " << path;
    reportReason(reason, err);
    err << '\n';
}

}  // namespace recdb
