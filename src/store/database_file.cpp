#include "store/database_file.hpp"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "store/input_file.hpp"
#include "store/output_file.hpp"

namespace recdb {

namespace {

void writeInt32(OutputFile& file, std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    const char bytes[4] = {static_cast<char>(raw & 0xFFu), static_cast<char>((raw >> 8) & 0xFFu),
                           static_cast<char>((raw >> 16) & 0xFFu), static_cast<char>((raw >> 24) & 0xFFu)};
    file.write({bytes, sizeof bytes});
}

bool writeRecords(const Database& database, OutputFile& file) {
    for (const RecordNode& node : database.records()) {
        const Record& record = node.record;
        const std::string_view name = record.nameView();
        writeInt32(file, static_cast<std::int32_t>(name.size()));
        file.write(name);
        writeInt32(file, record.group);
        writeInt32(file, record.ratingNum);
        writeInt32(file, record.ratingDen);
        if (record.info) {
            writeInt32(file, static_cast<std::int32_t>(record.info->size()));
            file.write(*record.info);
        } else {
            writeInt32(file, -1);
        }
    }
    return file.close();
}

// The path to replace: a symbolic link is followed to the file it names, so
// that the link itself stays.
std::string replacementTarget(const std::string& fileName) {
    struct stat info {};
    if (::lstat(fileName.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(fileName.c_str(), nullptr)) {
            std::string target(resolved);
            std::free(resolved);
            return target;
        }
    }
    return fileName;
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

int storeDirectly(const Database& database, const std::string& fileName) {
    OutputFile file;
    if (!file.open(fileName)) {
        return -2;
    }
    return writeRecords(database, file) ? 0 : -3;
}

int storeByReplacing(const Database& database, const std::string& target, const struct stat* existing) {
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        // No file can be made beside the target (for example, no right to
        // write the directory): an existing file can still be written in place.
        return existing != nullptr ? storeDirectly(database, target) : -2;
    }
    ::fchmod(fd, existing != nullptr ? (existing->st_mode & 07777) : newFileMode());
    OutputFile file;
    file.adopt(fd);
    if (!writeRecords(database, file) || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return -3;
    }
    return 0;
}

}  // namespace

int store(const Database& database, const std::string& fileName) {
    if (database.records().isEmpty()) {
        return -1;
    }
    if (fileName.empty()) {
        return -2;
    }
    struct stat existing {};
    if (::stat(fileName.c_str(), &existing) != 0) {
        return storeByReplacing(database, fileName, nullptr);
    }
    if (!S_ISREG(existing.st_mode)) {
        return storeDirectly(database, fileName);
    }
    return storeByReplacing(database, replacementTarget(fileName), &existing);
}

namespace {

enum class RecordRead { Complete, EndOfData, BadNameLength };

RecordRead readRecord(InputFile& file, Record& record) {
    std::int32_t nameLength = 0;
    if (!file.readInt32(nameLength)) {
        return RecordRead::EndOfData;
    }
    if (nameLength < 0 || nameLength > static_cast<std::int32_t>(MaxNameLength)) {
        return RecordRead::BadNameLength;
    }
    char name[MaxNameLength];
    std::int32_t infoLength = 0;
    if (!file.readBytes(name, static_cast<std::size_t>(nameLength)) || !file.readInt32(record.group) ||
        !file.readInt32(record.ratingNum) || !file.readInt32(record.ratingDen) || !file.readInt32(infoLength)) {
        return RecordRead::EndOfData;
    }
    record.setName({name, static_cast<std::size_t>(nameLength)});
    record.info.reset();
    if (infoLength >= 0) {
        std::string info;
        if (!file.appendBytes(info, static_cast<std::size_t>(infoLength))) {
            return RecordRead::EndOfData;
        }
        // Texts end at their first zero byte in memory.
        info.resize(std::min(info.size(), info.find('\0')));
        record.info = std::move(info);
    }
    return RecordRead::Complete;
}

}  // namespace

int load(Database& database, const std::string& fileName) {
    database.clear();
    InputFile file;
    if (!file.open(fileName)) {
        return -2;
    }
    try {
        Record record;
        for (;;) {
            const RecordRead result = readRecord(file, record);
            if (result == RecordRead::BadNameLength) {
                return -4;
            }
            if (result == RecordRead::EndOfData) {
                return file.failed() ? -2 : 0;
            }
            database.insert(record);
        }
    } catch (const std::bad_alloc&) {
        return -3;
    }
}

}  // namespace recdb
