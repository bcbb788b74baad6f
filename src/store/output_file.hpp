#pragma once

#include <string>
#include <string_view>

namespace recdb {

// A file written through a large buffer in which every write, the final
// flush and the close are checked. Closes on destruction if still open.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates or truncates the file. False when it cannot be opened.
    bool open(const std::string& path);
    // Takes over a descriptor already open for writing.
    void adopt(int fd);
    void write(std::string_view bytes);
    // Flushes and closes; true only when every write so far succeeded.
    bool close();

private:
    void flushBuffer();

    int fd_ = -1;
    std::string buffer_;
    bool failed_ = false;
};

}  // namespace recdb
