#include "io/file_writer.hpp"

#include <unistd.h>
#include <cerrno>
#include <ctime>
#include <optional>
#include <random>
#include <string_view>

#include "io/descriptor.hpp"
#include "io/paths.hpp"
#include "io/system_calls.hpp"

namespace recdb::io {

namespace {

constexpr std::size_t MaxLinkLength = 4096;

// The path that writing to path reaches: symbolic links followed, also when
// the last one names a file that does not exist yet. False on a loop or when
// a link cannot be read, with errno telling which.
bool resolveLinks(const std::string& path, std::string& resolved) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        FileStatus info{};
        if (systemCalls().lstat(current.c_str(), &info) != 0) {
            resolved = current;
            return errno == ENOENT;
        }
        if (!S_ISLNK(info.st_mode)) {
            resolved = current;
            return true;
        }
        char target[MaxLinkLength];
        const ssize_t length = systemCalls().readlink(current.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof target) {
            if (length >= 0) {
                errno = ENAMETOOLONG;
            }
            return false;
        }
        const std::string_view link(target, static_cast<std::size_t>(length));
        std::string next = isAbsolutePath(link) ? std::string() : directoryOf(current);
        next += link;
        current = std::move(next);
    }
    errno = ELOOP;
    return false;
}

mode_t newFileMode() {
    const auto mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

// A file created under a fresh name beside the target; removed again unless
// it was renamed away.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) {
        static std::minstd_rand random(static_cast<unsigned>(::getpid()) ^ static_cast<unsigned>(::time(nullptr)));
        static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = target + '.';
            for (int k = 0; k < 6; ++k) {
                name += Letters[random() % (sizeof Letters - 1)];
            }
            const int fd = systemCalls().open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                file_.emplace(fd);
                path_ = std::move(name);
                return;
            }
            if (errno != EEXIST) {
                return;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        file_.reset();
        if (!path_.empty()) {
            systemCalls().unlink(path_.c_str());
        }
    }

    bool isOpen() const { return file_.has_value(); }
    int fd() const { return file_->get(); }
    const std::string& path() const { return path_; }
    [[nodiscard]] bool close() { return file_->close(); }
    // The file now has another name; nothing to remove.
    void renamed() { path_.clear(); }

private:
    std::optional<Descriptor> file_;
    std::string path_;
};

// Flushes a directory's entries to the disk. A directory that cannot be
// opened for reading, or a file system that cannot flush directories, is
// passed over: there is nothing more to be done there.
bool syncDirectory(const std::string& directory) {
    const std::string path = directory.empty() ? std::string(".") : directory;
    const int fd = systemCalls().open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) {
        return errno == EACCES;
    }
    const bool synced = systemCalls().fsync(fd) == 0 || errno == EINVAL;
    const bool closed = systemCalls().close(fd) == 0;
    return synced && closed;
}

// The outcome of a failure, with the system's error number that tells why
// kept in error: the calls that clean up after it may change errno.
WriteOutcome failure(WriteOutcome outcome, int& error, int cause) {
    error = cause;
    return outcome;
}

WriteOutcome writeDirectly(const std::string& path, const std::function<void(OutputFile&)>& fill, Content content,
                           int& error) {
    Descriptor file(systemCalls().open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.get() < 0) {
        return failure(WriteOutcome::CannotOpen, error, errno);
    }
    OutputFile out(file.get(), OutputFile::DefaultBufferSize, content);
    fill(out);
    if (!out.flush()) {
        return failure(WriteOutcome::Failed, error, out.error());
    }
    return file.close() ? WriteOutcome::Written : failure(WriteOutcome::Failed, error, errno);
}

WriteOutcome writeReplacing(const std::string& path, const std::function<void(OutputFile&)>& fill, Content content,
                            int& error) {
    std::string target;
    if (path.empty()) {
        return failure(WriteOutcome::CannotOpen, error, ENOENT);
    }
    if (!resolveLinks(path, target)) {
        return failure(WriteOutcome::CannotOpen, error, errno);
    }
    FileStatus existing{};
    const bool exists = systemCalls().stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        return failure(WriteOutcome::CannotOpen, error, errno);
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        return failure(WriteOutcome::CannotOpen, error, EISDIR);
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        return writeDirectly(target, fill, content, error);
    }
    if (exists) {
        // The file is replaced only where it could have been written.
        const int probe = systemCalls().open(target.c_str(), O_WRONLY | O_CLOEXEC, 0);
        if (probe < 0) {
            return failure(WriteOutcome::CannotOpen, error, errno);
        }
        systemCalls().close(probe);
    }
    TemporaryFile temporary(target);
    if (!temporary.isOpen()) {
        return failure(WriteOutcome::CannotOpen, error, errno);
    }
    if (systemCalls().fchmod(temporary.fd(), exists ? existing.st_mode & 07777 : newFileMode()) != 0) {
        return failure(WriteOutcome::Failed, error, errno);
    }
    OutputFile out(temporary.fd(), OutputFile::DefaultBufferSize, content);
    fill(out);
    if (!out.flush()) {
        return failure(WriteOutcome::Failed, error, out.error());
    }
    if (systemCalls().fsync(temporary.fd()) != 0 || !temporary.close()) {
        return failure(WriteOutcome::Failed, error, errno);
    }
    // A second name for the old file, to put it back should the directory
    // not reach the disk; without hard links the store goes on without it.
    const std::string backup = temporary.path() + ".old";
    const bool backedUp = exists && systemCalls().link(target.c_str(), backup.c_str()) == 0;
    if (systemCalls().rename(temporary.path().c_str(), target.c_str()) != 0) {
        const int cause = errno;
        if (backedUp) {
            systemCalls().unlink(backup.c_str());
        }
        return failure(WriteOutcome::Failed, error, cause);
    }
    temporary.renamed();
    if (!syncDirectory(directoryOf(target))) {
        const int cause = errno;
        if (backedUp) {
            systemCalls().rename(backup.c_str(), target.c_str());
        } else if (!exists) {
            systemCalls().unlink(target.c_str());
        }
        return failure(WriteOutcome::Failed, error, cause);
    }
    if (backedUp) {
        systemCalls().unlink(backup.c_str());
    }
    return WriteOutcome::Written;
}

}  // namespace

WriteOutcome writeFile(const std::string& path, const std::function<void(OutputFile&)>& fill, Content content) {
    int error = 0;
    // The temporary file is gone, and errno free to be set, once this returns.
    const WriteOutcome outcome = writeReplacing(path, fill, content, error);
    if (outcome != WriteOutcome::Written) {
        errno = error;
    }
    return outcome;
}

}  // namespace recdb::io
