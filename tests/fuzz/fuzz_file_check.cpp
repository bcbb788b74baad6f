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
#include "fuzz_support.hpp"
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
    recdb::fuzzing::enterScratchDirectory("check");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    recdb::fuzzing::writeFile("input.db", data, size);
    std::ostringstream out;
    std::ostringstream err;
    if (recdb::checkFile("input.db", out, err) == 2) {
        std::fprintf(stderr, "check failed: %s\n", err.str().c_str());
        std::abort();
    }
    if (recdb::salvageFile("input.db", "salvaged.db", out, err).status == 2) {
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
