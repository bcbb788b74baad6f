// The database file loader on arbitrary bytes: whatever loads must store, and
// loading and storing that again must give the same bytes.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.hpp"
#include "io/system_calls.hpp"

#include "store/database_file.hpp"

namespace {

// Flushing to the disk only slows the runs down here.
class NoSync final : public recdb::io::SystemCalls {
    int fsync(int) override { return 0; }
};
NoSync noSync;
const recdb::io::SystemCallsOverride withoutSync(noSync);

std::string readFile(const char* path) {
    std::string bytes;
    if (FILE* file = std::fopen(path, "rb")) {
        char buffer[65536];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
            bytes.append(buffer, got);
        }
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    recdb::fuzzing::enterScratchDirectory("file");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    recdb::fuzzing::writeFile("input.db", data, size);
    recdb::Database database;
    if (recdb::load(database, "input.db") != recdb::LoadOutcome::Loaded) {
        return 0;
    }
    std::string why;
    if (!database.invariantsHold(why)) {
        std::fprintf(stderr, "after loading: %s\n", why.c_str());
        std::abort();
    }
    if (database.records().isEmpty()) {
        return 0;
    }
    if (recdb::store(database, "first.db") != recdb::StoreOutcome::Stored) {
        std::abort();
    }
    recdb::Database again;
    if (recdb::load(again, "first.db") != recdb::LoadOutcome::Loaded ||
        recdb::store(again, "second.db") != recdb::StoreOutcome::Stored) {
        std::abort();
    }
    if (readFile("first.db") != readFile("second.db")) {
        std::fprintf(stderr, "storing a loaded file changed its bytes\n");
        std::abort();
    }
    return 0;
}
