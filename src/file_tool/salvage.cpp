#include "file_tool/salvage.hpp"

#include <cerrno>
#include <limits>
#include <optional>
#include <vector>

#include "file_tool/output_target.hpp"
#include "file_tool/record_search.hpp"
#include "file_tool/tool_status.hpp"
#include "io/input_file.hpp"

namespace recdb {

namespace {

// What a search of the whole input found.
struct Findings {
    std::uint64_t kept = 0;
    std::uint64_t bytes = 0;
    std::uint64_t stretches = 0;
    std::uint64_t skippedBytes = 0;
    std::vector<SkippedStretch> listed;     // the first stretches
    std::optional<std::uint64_t> resumeAt;  // where the first one not listed begins
};

void note(const SkippedStretch& stretch, std::size_t listedStretches, Findings& findings) {
    if (findings.listed.size() < listedStretches) {
        findings.listed.push_back(stretch);
    } else if (!findings.resumeAt) {
        findings.resumeAt = stretch.offset;
    }
    ++findings.stretches;
    findings.skippedBytes += stretch.length;
}

// Writes every sound record of the input to output.
void rescue(io::InputFile& file, io::OutputFile& output, const SalvageLimits& limits, Findings& findings) {
    ByteWindow window(file, 0, limits.reach);
    RecordSearch search(window);
    findings = {};
    findings.bytes = search.run(
        0,
        [&](const SoundRecord& record) {
            search.write(record, output);
            ++findings.kept;
        },
        [&](const SkippedStretch& stretch) { note(stretch, limits.listedStretches, findings); });
}

void reportStretch(const SkippedStretch& stretch, std::ostream& out) {
    out << "skipped " << counted(stretch.length, "byte") << " at byte " << stretch.offset << '\n';
}

void report(io::InputFile& file, const Findings& findings, const SalvageLimits& limits, std::ostream& out) {
    for (const SkippedStretch& stretch : findings.listed) {
        reportStretch(stretch, out);
    }
    if (findings.resumeAt) {
        ByteWindow window(file, *findings.resumeAt, limits.reach);
        RecordSearch(window).run(
            *findings.resumeAt, [](const SoundRecord&) {},
            [&out](const SkippedStretch& stretch) { reportStretch(stretch, out); });
    }
    out << "kept " << counted(findings.kept, "record") << " of " << counted(findings.bytes, "byte") << "; skipped "
        << counted(findings.stretches, "stretch", "stretches") << " of " << counted(findings.skippedBytes, "byte")
        << '\n';
}

ToolOutcome salvageOpened(io::InputFile& file, const std::string& output, std::ostream& out, std::ostream& err,
                          SalvageLimits limits) {
    // A file that cannot be read again is held whole, with all its stretches.
    if (!file.rewind()) {
        limits = {ByteWindow::Unbounded, std::numeric_limits<std::size_t>::max()};
    }
    Findings findings;
    const auto fill = [&](io::OutputFile& written) {
        rescue(file, written, limits, findings);
        return true;
    };
    if (writeOutput(output, fill, err) != OutputWritten::Written) {
        return ToolOutcome(CannotProceed);
    }
    report(file, findings, limits, out);
    return ToolOutcome(findings.stretches == 0 ? AllWell : HasProblems, findings.kept);
}

}  // namespace

ToolOutcome salvageFile(const std::string& input, const std::string& output, std::ostream& out, std::ostream& err,
                        const SalvageLimits& limits) {
    io::InputFile file;
    if (!examineOutput(input, output, err, "; salvage never writes over its input") || !openInput(file, input, err)) {
        return ToolOutcome(CannotProceed);
    }
    try {
        return salvageOpened(file, output, out, err, limits);
    } catch (const InputFailed& failure) {
        errno = failure.reason;
        reportUnreadable(input, err);
        return ToolOutcome(CannotProceed);
    }
}

}  // namespace recdb
