// The request loop on arbitrary bytes: each line is a request. When the input
// holds a line "%%", what stands before it is put in the working directory as
// the file "fuzz.db" and the lines after it are the requests, so that
// "DBload fuzz.db" loads fuzzer-made file contents. After every request every
// index must hold together. Lines naming a path with "/" are passed over, so
// that nothing outside the fuzzer's own directory is read or written.
#include <fcntl.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.hpp"
#include "io/system_calls.hpp"

#include "console/line_reader.hpp"
#include "console/request_loop.hpp"

namespace {

// Flushing to the disk only slows the runs down here.
class NoSync final : public recdb::io::SystemCalls {
    int fsync(int) override { return 0; }
};
NoSync noSync;
const recdb::io::SystemCallsOverride withoutSync(noSync);

int nullOutput = -1;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    recdb::fuzzing::enterScratchDirectory("requests");
    nullOutput = ::open("/dev/null", O_WRONLY);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t marker = input.find("\n%%\n");
    if (marker != std::string::npos) {
        recdb::fuzzing::writeFile("fuzz.db", input.data(), marker);
        input.erase(0, marker + 4);
    }
    recdb::Database database;
    recdb::Selection selection;
    recdb::ConsoleOutput output(nullOutput, false);
    recdb::PipedRequests source(-1, output);
    recdb::RequestLoop loop(database, selection, source, output);
    std::size_t start = 0;
    for (int requests = 0; start < input.size() && requests < 200; ++requests) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) {
            end = input.size();
        }
        std::string line = input.substr(start, std::min<std::size_t>(end - start, recdb::MaxRequestLength));
        start = end + 1;
        line = line.substr(0, line.find('\0'));
        if (line.find('/') != std::string::npos) {
            continue;
        }
        if (!loop.handle(line)) {
            break;
        }
        std::string why;
        if (!database.invariantsHold(why)) {
            std::fprintf(stderr, "after '%s': %s\n", line.c_str(), why.c_str());
            std::abort();
        }
    }
    return 0;
}
