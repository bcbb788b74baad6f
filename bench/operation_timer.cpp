// Times single operations on a database of COUNT records inserted in random
// order: selections of each strategy, a sorted console listing written to a
// file, and storing and loading the database file.
// Usage: recdb_operation_timer COUNT WORK_DIRECTORY
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "console/console_output.hpp"
#include "output/console_print.hpp"
#include "request/conditions.hpp"
#include "selection/selection.hpp"
#include "store/database_file.hpp"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s COUNT WORK_DIRECTORY\n", argv[0]);
        return 2;
    }
    const int count = std::atoi(argv[1]);
    std::mt19937 random(12345);
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        order[static_cast<std::size_t>(k)] = k;
    }
    std::shuffle(order.begin(), order.end(), random);

    recdb::Database database;
    auto start = std::chrono::steady_clock::now();
    for (const int k : order) {
        recdb::Record record;
        char name[16];
        std::snprintf(name, sizeof name, "%c%d", static_cast<char>('a' + random() % 26), k);
        record.setName(name);
        record.group = static_cast<std::int32_t>(random() % 1000);
        record.ratingNum = static_cast<std::int32_t>(random() % 10);
        record.ratingDen = static_cast<std::int32_t>(1 + random() % 9);
        record.info.emplace(name + 1);
        database.replace(record.view());
    }
    std::printf("%d inserts in random order: %.3f s\n", count, secondsSince(start));

    recdb::Selection selection;
    for (const char* conditions : {"", "group=0-2147483647", "name=a*", "rating=1.2"}) {
        const recdb::Criteria criteria = recdb::parseConditions(conditions);
        start = std::chrono::steady_clock::now();
        const bool selected = recdb::selectRecords(database, selection, criteria);
        std::printf("'select %s': %.3f s, %zu records%s\n", conditions, secondsSince(start), selection.records.size(),
                    selected ? "" : " (out of memory)");
    }

    if (!recdb::selectRecords(database, selection, recdb::parseConditions(""))) {
        return 1;
    }
    const std::string directory = argv[2];
    const int fd = ::open((directory + "/listing").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        std::perror(argv[2]);
        return 1;
    }
    {
        recdb::ConsoleOutput listing(fd, false);
        start = std::chrono::steady_clock::now();
        static_cast<void>(recdb::printSelection(database.records(), selection, 15, recdb::NameField, listing));
        listing.flush();
        std::printf("'print name group rating info sort name' into a file: %.3f s\n", secondsSince(start));
    }
    ::close(fd);

    const std::string file = directory + "/records.db";
    start = std::chrono::steady_clock::now();
    const bool stored = recdb::store(database, file) == recdb::StoreOutcome::Stored;
    std::printf("DBstore of %d records: %.3f s%s\n", count, secondsSince(start), stored ? "" : " (failed)");
    start = std::chrono::steady_clock::now();
    const bool loaded = recdb::load(database, file) == recdb::LoadOutcome::Loaded;
    std::printf("DBload of %zu records: %.3f s%s\n", database.records().size(), secondsSince(start),
                loaded ? "" : " (failed)");
    return 0;
}
