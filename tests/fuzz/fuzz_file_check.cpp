// check and salvage on arbitrary bytes: neither may fail, check finds no
// problem in what salvage writes, and both say and write the same with
// small limits (a window of a few bytes, a short list of stretches, a tiny
// budget for names and short hashes) as with their own.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

std::string contents(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s:\n%s\n", what, detail.c_str());
    std::abort();
}

void checkAlike(const std::string& report) {
    for (const recdb::CheckLimits limits : {recdb::CheckLimits{4096, 64}, recdb::CheckLimits{4096, 12}}) {
        std::ostringstream out;
        std::ostringstream err;
        recdb::checkFile("input.db", out, err, limits);
        if (out.str() != report) {
            fail("check says other things within small limits", out.str());
        }
    }
}

void salvageAlike(const std::string& report) {
    const std::string written = contents("salvaged.db");
    for (const recdb::SalvageLimits limits : {recdb::SalvageLimits{1, 0}, recdb::SalvageLimits{60, 1}}) {
        std::ostringstream out;
        std::ostringstream err;
        recdb::salvageFile("input.db", "small.db", out, err, limits);
        if (out.str() != report || contents("small.db") != written) {
            fail("salvage says or writes other things within small limits", out.str());
        }
    }
}

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
        fail("check failed", err.str());
    }
    checkAlike(out.str());
    std::ostringstream salvaged;
    if (recdb::salvageFile("input.db", "salvaged.db", salvaged, err).status == 2) {
        fail("salvage failed", err.str());
    }
    salvageAlike(salvaged.str());
    std::ostringstream checked;
    if (recdb::checkFile("salvaged.db", checked, err) != 0) {
        fail("check finds problems in what salvage wrote", checked.str());
    }
    return 0;
}
