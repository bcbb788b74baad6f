// Times single operations on a database of COUNT records inserted in random
// order: selections of each strategy, a sorted console listing written to a
// file, and storing and loading the database file.
// Usage: recdb_operation_timer COUNT WORK_DIRECTORY
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <algorithm>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "console/console_output.hpp"
#include "output/console_print.hpp"
#include "request/conditions.hpp"
#include "request/print_fields.hpp"
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
        database.replace(record);
    }
    std::printf("%d inserts in random order: %.3f s\n", count, secondsSince(start));

    recdb::Selection selection;
    for (const char* conditions : {"", "group=0-2147483647", "name=a*", "rating=1.2"}) {
        recdb::Criteria criteria;
        recdb::parseConditions(conditions, criteria);
        start = std::chrono::steady_clock::now();
        recdb::selectRecords(database, selection, criteria);
        std::printf("'select %s': %.3f s, %zu records\n", conditions, secondsSince(start), selection.entries.size());
    }

    recdb::Criteria everything;
    recdb::parseConditions("", everything);
    recdb::selectRecords(database, selection, everything);
    const std::string directory = argv[2];
    const int fd = ::open((directory + "/listing").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        std::perror(argv[2]);
        return 1;
    }
    {
        recdb::ConsoleOutput listing(fd, false);
        start = std::chrono::steady_clock::now();
        recdb::printSelection(selection, 15, recdb::NameField, listing);
        listing.flush();
        std::printf("'print name group rating info sort name' into a file: %.3f s\n", secondsSince(start));
    }
    ::close(fd);

    const std::string file = directory + "/records.db";
    start = std::chrono::steady_clock::now();
    const int stored = recdb::store(database, file);
    std::printf("DBstore of %d records: %.3f s (result %d)\n", count, secondsSince(start), stored);
    start = std::chrono::steady_clock::now();
    const int loaded = recdb::load(database, file);
    std::printf("DBload of %zu records: %.3f s (result %d)\n", database.records().size(), secondsSince(start),
                loaded);
    return 0;
}
