// Measures how much of a damaged database file salvage brings back: makes
// files of COUNT records from fixed seeds, damages each at random (bytes
// overwritten, stretches deleted, stretches inserted), runs the salvage scan
// and counts the records that lie outside every damaged stretch and come
// back byte for byte. Prints one line per seed and the share over all.
// Usage: recdb_salvage_measure [COUNT] [SEEDS] [DAMAGES]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "file_tool/salvage.hpp"
#include "io/output_file.hpp"
#include "store/record_writer.hpp"

namespace {

struct Span {
    std::size_t begin;
    std::size_t end;
};

std::string encode(const recdb::RecordView& record) {
    std::string bytes;
    const auto put = [&bytes](std::int32_t value) {
        const auto raw = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((raw >> shift) & 0xFFu);
        }
    };
    put(static_cast<std::int32_t>(record.name.size()));
    bytes += record.name;
    put(record.group);
    put(record.ratingNum);
    put(record.ratingDen);
    if (record.info) {
        put(static_cast<std::int32_t>(record.info->size()));
        bytes += *record.info;
    } else {
        put(-1);
    }
    return bytes;
}

// Records as the benchmarks make them: names of 6 to 12 letters, groups
// 0..999, about 90 ratings, an info on 70 %.
std::vector<std::string> makeRecords(std::size_t count, std::mt19937_64& random) {
    std::vector<std::string> records;
    std::set<std::string> names;
    while (records.size() < count) {
        std::string name(6 + random() % 7, 'a');
        for (char& letter : name) {
            letter = static_cast<char>('a' + random() % 26);
        }
        if (!names.insert(name).second) {
            continue;
        }
        const std::string info = "note" + std::to_string(random() % 100000);
        const bool hasInfo = random() % 10 < 7;
        recdb::RecordView record{name, static_cast<std::int32_t>(random() % 1000),
                                 static_cast<std::int32_t>(random() % 10), static_cast<std::int32_t>(1 + random() % 9),
                                 std::nullopt};
        if (hasInfo) {
            record.info = info;
        }
        records.push_back(encode(record));
    }
    return records;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const unsigned seeds = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 5;
    const std::size_t damages = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 20;
    std::uint64_t allIntact = 0;
    std::uint64_t allBack = 0;
    std::printf("%6s %9s %9s %9s %9s %8s %8s\n", "seed", "records", "damages", "intact", "back", "extra", "share");
    for (unsigned seed = 1; seed <= seeds; ++seed) {
        std::mt19937_64 random(seed);
        const std::vector<std::string> records = makeRecords(count, random);
        std::string file;
        std::vector<Span> spans;
        for (const std::string& record : records) {
            spans.push_back({file.size(), file.size() + record.size()});
            file += record;
        }
        // Damage at random places, applied from the end of the file so that
        // the offsets of those still to come stay as they were.
        struct Damage {
            std::size_t at;
            std::size_t length;
            int kind;  // 0 overwrite, 1 delete, 2 insert
        };
        std::vector<Damage> plan;
        for (std::size_t k = 0; k < damages; ++k) {
            const std::size_t length = 1 + random() % 200;
            plan.push_back({random() % (file.size() - length), length, static_cast<int>(random() % 3)});
        }
        std::sort(plan.begin(), plan.end(), [](const Damage& a, const Damage& b) { return a.at > b.at; });
        std::vector<bool> damaged(records.size(), false);
        for (const Damage& damage : plan) {
            const std::size_t end = damage.kind == 2 ? damage.at + 1 : damage.at + damage.length;
            for (std::size_t k = 0; k < spans.size(); ++k) {
                if (spans[k].begin < end && damage.at < spans[k].end &&
                    !(damage.kind == 2 && spans[k].begin == damage.at)) {
                    damaged[k] = true;
                }
            }
            std::string noise(damage.length, '\0');
            for (char& byte : noise) {
                byte = static_cast<char>(random() % 256);
            }
            if (damage.kind == 0) {
                file.replace(damage.at, damage.length, noise);
            } else if (damage.kind == 1) {
                file.erase(damage.at, damage.length);
            } else {
                file.insert(damage.at, noise);
            }
        }
        std::set<std::string> intact;
        for (std::size_t k = 0; k < records.size(); ++k) {
            if (!damaged[k]) {
                intact.insert(records[k]);
            }
        }
        std::uint64_t back = 0;
        std::uint64_t extra = 0;
        recdb::scanRecords(
            file,
            [&](const recdb::RecordView& record) {
                if (intact.erase(encode(record)) > 0) {
                    ++back;
                } else if (std::find(records.begin(), records.end(), encode(record)) == records.end()) {
                    ++extra;
                }
            },
            [](const recdb::SkippedStretch&) {});
        const std::uint64_t intactCount = back + intact.size();
        allIntact += intactCount;
        allBack += back;
        std::printf("%6u %9zu %9zu %9llu %9llu %8llu %7.3f%%\n", seed, records.size(), damages,
                    static_cast<unsigned long long>(intactCount), static_cast<unsigned long long>(back),
                    static_cast<unsigned long long>(extra),
                    100.0 * static_cast<double>(back) / static_cast<double>(intactCount));
    }
    std::printf("records outside the damaged stretches that came back byte for byte: %.3f%%\n",
                100.0 * static_cast<double>(allBack) / static_cast<double>(allIntact));
    return 0;
}
