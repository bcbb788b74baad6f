#pragma once

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace recdb::fuzzing {

// Makes a scratch directory of its own and works in it, so that the files a
// harness writes never meet another run's.
inline void enterScratchDirectory(const char* name) {
    std::string directory = std::string("/tmp/recdb-fuzz-") + name + "-XXXXXX";
    if (::mkdtemp(directory.data()) == nullptr || ::chdir(directory.c_str()) != 0) {
        std::abort();
    }
}

// Replaces a file of the scratch directory with bytes of the input.
inline void writeFile(const char* path, const void* data, std::size_t size) {
    if (FILE* file = std::fopen(path, "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

}  // namespace recdb::fuzzing
