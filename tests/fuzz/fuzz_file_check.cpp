// check and salvage on arbitrary bytes: neither may fail, and check finds no
// problem in what salvage writes.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "file_tool/check.hpp"
#include "file_tool/salvage.hpp"
#include "io/system_calls.hpp"

namespace {

// Flushing to the disk only slows the runs down here.
class NoSync final : public recdb::io::SystemCalls {
    int fsync(int) override { return 0; }
};
NoSync noSync;
const recdb::io::SystemCallsOverride withoutSync(noSync);

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char directory[] = "/tmp/recdb-fuzz-check-XXXXXX";
    if (::mkdtemp(directory) == nullptr || ::chdir(directory) != 0) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (FILE* file = std::fopen("input.db", "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    std::ostringstream out;
    std::ostringstream err;
    if (recdb::checkFile("input.db", out, err) == 2) {
        std::fprintf(stderr, "check failed: %s\n", err.str().c_str());
        std::abort();
    }
    if (recdb::salvageFile("input.db", "salvaged.db", out, err) == 2) {
        std::fprintf(stderr, "salvage failed: %s\n", err.str().c_str());
        std::abort();
    }
    std::ostringstream checked;
    if (recdb::checkFile("salvaged.db", checked, err) != 0) {
        std::fprintf(stderr, "check finds problems in what salvage wrote:\n%s\n", checked.str().c_str());
        std::abort();
    }
    return 0;
}
