#include "file_tool/record_search.hpp"

#include "store/record_reader.hpp"
#include "store/record_writer.hpp"

namespace recdb {

namespace {

// The records in a row that make a place to go on from.
constexpr std::size_t Run = 4;

bool nameSound(const DecodedRecord& decoded, bool strict) {
    return decoded.record.name.size() == decoded.rawName.size() && (!strict || !decoded.rawName.empty());
}

bool sound(const DecodedRecord& decoded, bool strict) {
    return nameSound(decoded, strict) && (!decoded.rawInfo || decoded.record.info->size() == decoded.rawInfo->size()) &&
           (!strict || decoded.infoLength >= -1);
}

}  // namespace

std::uint64_t RecordSearch::run(std::uint64_t from, const Keep& keep, const Skip& skip) {
    std::uint64_t at = from;
    while (bytes_.moveTo(at)) {
        if (const std::uint64_t size = acceptedAt(at); size > 0) {
            keep({at, size});
            at += size;
            continue;
        }
        const std::uint64_t next = findRun(at + 1);
        skip({at, next - at});
        at = next;
    }
    return at;
}

void RecordSearch::write(const SoundRecord& record, io::OutputFile& out) {
    if (record.size <= ByteWindow::MaxHead) {
        writeRecord(out, decodeRecord(bytes_.head(record.offset, static_cast<std::size_t>(record.size))).record);
    } else {
        // A record longer than its fixed fields and a whole name has an
        // info, so it stands in the file as a store writes it.
        bytes_.copy(record.offset, record.offset + record.size, out);
    }
}

std::uint64_t RecordSearch::soundAt(std::uint64_t offset, bool strict) {
    const DecodedRecord decoded = decodeRecord(bytes_.near(offset));
    if (decoded.result == RecordRead::Complete) {
        return sound(decoded, strict) ? decoded.size : 0;
    }
    return decoded.result == RecordRead::BadNameLength ? 0 : soundPastView(offset, strict);
}

// A record that does not lie whole in the bytes held near: its fields before
// the info are read where they are, and its info is searched for zero bytes
// without being held.
std::uint64_t RecordSearch::soundPastView(std::uint64_t offset, bool strict) {
    const std::string_view head = bytes_.head(offset, ByteWindow::MaxHead);
    const DecodedRecord decoded = decodeRecord(head);
    if (decoded.result == RecordRead::Complete) {
        return sound(decoded, strict) ? decoded.size : 0;
    }
    if (decoded.result != RecordRead::Truncated || head.size() < ByteWindow::MaxHead) {
        return 0;
    }
    // The head holds the fixed fields and the name; the info goes on past it.
    const std::uint64_t infoStart = offset + RecordFixedSize + decoded.rawName.size();
    const std::uint64_t infoEnd = infoStart + static_cast<std::uint64_t>(decoded.infoLength);
    return nameSound(decoded, strict) && bytes_.zeroFree(infoStart, infoEnd) ? infoEnd - offset : 0;
}

std::uint64_t RecordSearch::acceptedAt(std::uint64_t offset) {
    if (const std::uint64_t size = soundAt(offset, true); size > 0) {
        return size;
    }
    const std::uint64_t size = soundAt(offset, false);
    const bool followed = size > 0 && (!bytes_.holds(offset + size) || soundAt(offset + size, true) > 0);
    return followed ? size : 0;
}

bool RecordSearch::runAt(std::uint64_t offset) {
    std::size_t count = 0;
    while (bytes_.holds(offset)) {
        const std::uint64_t size = soundAt(offset, true);
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

std::uint64_t RecordSearch::findRun(std::uint64_t from) {
    std::uint64_t offset = from;
    while (bytes_.moveTo(offset) && !runAt(offset)) {
        ++offset;
    }
    return offset;
}

}  // namespace recdb
