#include "file_tool/salvage.hpp"

#include <vector>

#include "file_tool/output_target.hpp"
#include "file_tool/tool_status.hpp"
#include "io/input_file.hpp"
#include "store/record_reader.hpp"
#include "store/record_writer.hpp"

namespace recdb {

namespace {

// The records in a row that make a place to go on from.
constexpr std::size_t Run = 4;

class Scanner {
public:
    Scanner(std::string_view bytes, const std::function<void(const RecordView&)>& keep,
            const std::function<void(const SkippedStretch&)>& skip)
        : bytes_(bytes), keep_(keep), skip_(skip) {}

    void scan() {
        std::size_t at = 0;
        while (at < bytes_.size()) {
            if (const std::size_t size = acceptedAt(at); size > 0) {
                keep_(decodeRecord(bytes_.substr(at, size)).record);
                at += size;
                continue;
            }
            const std::size_t from = findRun(at + 1);
            skip_({at, from - at});
            at = from;
        }
    }

private:
    // The size of the record at offset when it is sound, else 0. strict
    // asks also for a name and an info length of at least -1.
    std::size_t soundAt(std::size_t offset, bool strict) const {
        const DecodedRecord decoded = decodeRecord(bytes_.substr(offset));
        if (decoded.result != RecordRead::Complete || decoded.record.name.size() != decoded.rawName.size() ||
            (decoded.rawInfo && decoded.record.info->size() != decoded.rawInfo->size())) {
            return 0;
        }
        if (strict && (decoded.rawName.empty() || decoded.infoLength < -1)) {
            return 0;
        }
        return decoded.size;
    }

    std::size_t acceptedAt(std::size_t offset) const {
        if (const std::size_t size = soundAt(offset, true); size > 0) {
            return size;
        }
        const std::size_t size = soundAt(offset, false);
        const bool followed = size > 0 && (offset + size == bytes_.size() || soundAt(offset + size, true) > 0);
        return followed ? size : 0;
    }

    // Whether Run strictly sound records in a row start at offset, or fewer
    // that reach the end of the data exactly.
    bool runAt(std::size_t offset) const {
        std::size_t count = 0;
        while (offset < bytes_.size()) {
            const std::size_t size = soundAt(offset, true);
            if (size == 0) {
                return false;
            }
            offset += size;
            if (++count == Run) {
                return true;
            }
        }
        return count > 0;
    }

    // The first offset from from on where a run starts, or the end.
    std::size_t findRun(std::size_t from) const {
        for (std::size_t offset = from; offset < bytes_.size(); ++offset) {
            if (runAt(offset)) {
                return offset;
            }
        }
        return bytes_.size();
    }

    std::string_view bytes_;
    const std::function<void(const RecordView&)>& keep_;
    const std::function<void(const SkippedStretch&)>& skip_;
};

bool readWhole(const std::string& path, std::string& bytes, std::ostream& err) {
    io::InputFile file;
    if (!openInput(file, path, err)) {
        return false;
    }
    for (std::string_view chunk; !(chunk = file.readChunk()).empty();) {
        bytes.append(chunk);
    }
    if (file.failed()) {
        reportUnreadable(path, err);
        return false;
    }
    return true;
}

}  // namespace

void scanRecords(std::string_view bytes, const std::function<void(const RecordView&)>& keep,
                 const std::function<void(const SkippedStretch&)>& skip) {
    Scanner(bytes, keep, skip).scan();
}

ToolOutcome salvageFile(const std::string& input, const std::string& output, std::ostream& out, std::ostream& err) {
    std::string bytes;
    if (!examineOutput(input, output, err, "; salvage never writes over its input") || !readWhole(input, bytes, err)) {
        return ToolOutcome(CannotProceed);
    }
    std::vector<SkippedStretch> skipped;
    std::uint64_t kept = 0;
    const auto fill = [&](io::OutputFile& file) {
        skipped.clear();
        kept = 0;
        scanRecords(
            bytes,
            [&](const RecordView& record) {
                writeRecord(file, record);
                ++kept;
            },
            [&](const SkippedStretch& stretch) { skipped.push_back(stretch); });
        return true;
    };
    if (writeOutput(output, fill, err) != OutputWritten::Written) {
        return ToolOutcome(CannotProceed);
    }
    std::uint64_t skippedBytes = 0;
    for (const SkippedStretch& stretch : skipped) {
        out << "skipped " << counted(stretch.length, "byte") << " at byte " << stretch.offset << '\n';
        skippedBytes += stretch.length;
    }
    out << "kept " << counted(kept, "record") << " of " << counted(bytes.size(), "byte") << "; skipped "
        << counted(skipped.size(), "stretch", "stretches") << " of " << counted(skippedBytes, "byte") << '\n';
    return ToolOutcome(skipped.empty() ? AllWell : HasProblems, kept);
}

}  // namespace recdb
