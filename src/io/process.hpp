#pragma once

#include <string>
#include <vector>

namespace recdb::io {

// What a program sets up about its process before it starts, so that it
// behaves alike on every system.

// Makes a write that meets a file-size limit fail (EFBIG) instead of ending
// the program by a signal, and with closedPipes also a write into a pipe
// whose reader has gone (EPIPE). Windows has neither signal: such writes
// fail there anyway.
void letWritesFail(bool closedPipes);

// The program's arguments as UTF-8. POSIX systems give them as the bytes
// typed; Windows gives main its ANSI code page, which loses every character
// outside it, so there they are read again from the wide command line.
std::vector<std::string> argumentsOf(int argc, char** argv);

// The arguments in argv's form, for parsers that take it.
class CommandLine {
public:
    CommandLine(int argc, char** argv) : arguments_(argumentsOf(argc, argv)) {
        for (std::string& argument : arguments_) {
            values_.push_back(argument.data());
        }
        values_.push_back(nullptr);
    }
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    int count() const { return static_cast<int>(arguments_.size()); }
    // argv's form, valid while the command line lives.
    char** values() { return values_.data(); }

private:
    std::vector<std::string> arguments_;
    std::vector<char*> values_;
};

// While it lives, a Windows console shows what the C library writes to
// standard output and error as UTF-8 (its output code page is put back
// after). Elsewhere, and where no console is attached, it does nothing.
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();  // NOLINT(performance-trivially-destructible): it puts the code page back on Windows
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    [[maybe_unused]] unsigned previousCodePage_ = 0;  // on Windows; 0 when nothing was changed
};

}  // namespace recdb::io
