// Measures how much of a damaged database file salvage brings back: makes
// files of COUNT records from fixed seeds, damages each at random (bytes
// overwritten, stretches deleted, stretches inserted), salvages each file
// into another and counts the records that lie outside every damaged
// stretch and come back byte for byte. Prints one line per seed and the
// share over all. With "damage", overwrites DAMAGES stretches of 1 to 200
// bytes of FILE at random places instead, in place, and cuts its last 7
// bytes, so that a file too large to copy can be damaged for a run of
// recdb-file salvage.
// Usage: recdb_salvage_measure [COUNT] [SEEDS] [DAMAGES]
//        recdb_salvage_measure damage FILE DAMAGES
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "file_tool/salvage.hpp"
#include "store/record_reader.hpp"

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

// A file of the records, damaged at random places (applied from the end of
// the file, so that the offsets of those still to come stay as they were),
// and which records the damage touched.
struct Damaged {
    std::string file;
    std::vector<bool> touched;
};

Damaged damage(const std::vector<std::string>& records, std::size_t damages, std::mt19937_64& random) {
    Damaged damaged{std::string(), std::vector<bool>(records.size(), false)};
    std::vector<Span> spans;
    for (const std::string& record : records) {
        spans.push_back({damaged.file.size(), damaged.file.size() + record.size()});
        damaged.file += record;
    }
    struct Damage {
        std::size_t at;
        std::size_t length;
        int kind;  // 0 overwrite, 1 delete, 2 insert
    };
    std::vector<Damage> plan;
    for (std::size_t k = 0; k < damages; ++k) {
        const std::size_t length = 1 + random() % 200;
        plan.push_back({random() % (damaged.file.size() - length), length, static_cast<int>(random() % 3)});
    }
    std::sort(plan.begin(), plan.end(), [](const Damage& a, const Damage& b) { return a.at > b.at; });
    for (const Damage& hit : plan) {
        const std::size_t end = hit.kind == 2 ? hit.at + 1 : hit.at + hit.length;
        for (std::size_t k = 0; k < spans.size(); ++k) {
            damaged.touched[k] = damaged.touched[k] || (spans[k].begin < end && hit.at < spans[k].end &&
                                                        !(hit.kind == 2 && spans[k].begin == hit.at));
        }
        std::string noise(hit.length, '\0');
        for (char& byte : noise) {
            byte = static_cast<char>(random() % 256);
        }
        if (hit.kind == 0) {
            damaged.file.replace(hit.at, hit.length, noise);
        } else if (hit.kind == 1) {
            damaged.file.erase(hit.at, hit.length);
        } else {
            damaged.file.insert(hit.at, noise);
        }
    }
    return damaged;
}

// The records that recdb-file salvage writes from the file, as their bytes.
std::vector<std::string> salvaged(const std::string& file, const std::filesystem::path& directory) {
    const std::string input = (directory / "damaged.db").string();
    const std::string output = (directory / "salvaged.db").string();
    std::ofstream(input, std::ios::binary) << file;
    std::ostringstream report;
    if (recdb::salvageFile(input, output, report, report).status == 2) {
        std::fprintf(stderr, "%s", report.str().c_str());
        std::exit(1);
    }
    std::ifstream in(output, std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> records;
    for (std::string_view rest = written; !rest.empty();) {
        const std::size_t size = recdb::decodeRecord(rest).size;
        records.emplace_back(rest.substr(0, size));
        rest.remove_prefix(size);
    }
    return records;
}

struct Share {
    std::uint64_t intact = 0;
    std::uint64_t back = 0;
};

Share measureSeed(unsigned seed, std::size_t count, std::size_t damages, const std::filesystem::path& directory) {
    std::mt19937_64 random(seed);
    const std::vector<std::string> records = makeRecords(count, random);
    const Damaged damaged = damage(records, damages, random);
    std::set<std::string> intact;
    for (std::size_t k = 0; k < records.size(); ++k) {
        if (!damaged.touched[k]) {
            intact.insert(records[k]);
        }
    }
    Share share{intact.size(), 0};
    std::uint64_t extra = 0;
    for (const std::string& kept : salvaged(damaged.file, directory)) {
        if (intact.erase(kept) > 0) {
            ++share.back;
        } else if (std::find(records.begin(), records.end(), kept) == records.end()) {
            ++extra;
        }
    }
    std::printf("%6u %9zu %9zu %9llu %9llu %8llu %7.3f%%\n", seed, records.size(), damages,
                static_cast<unsigned long long>(share.intact), static_cast<unsigned long long>(share.back),
                static_cast<unsigned long long>(extra),
                100.0 * static_cast<double>(share.back) / static_cast<double>(share.intact));
    return share;
}

// Overwrites stretches of a file in place and cuts its last bytes.
int damageInPlace(const std::string& path, std::size_t damages) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    if (error || !file || size < 1000) {
        std::fprintf(stderr, "cannot damage %s\n", path.c_str());
        return 2;
    }
    std::mt19937_64 random(20261209);
    for (std::size_t k = 0; k < damages; ++k) {
        std::string noise(1 + random() % 200, '\0');
        for (char& byte : noise) {
            byte = static_cast<char>(random() % 256);
        }
        file.seekp(static_cast<std::streamoff>(random() % (size - noise.size())));
        file.write(noise.data(), static_cast<std::streamsize>(noise.size()));
    }
    file.close();
    std::filesystem::resize_file(path, size - 7, error);
    return file.fail() || error ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3 && std::string(argv[1]) == "damage") {
        return damageInPlace(argv[2], std::strtoul(argv[3], nullptr, 10));
    }
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const unsigned seeds = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 5;
    const std::size_t damages = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 20;
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("recdb-salvage-measure-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    Share all;
    std::printf("%6s %9s %9s %9s %9s %8s %8s\n", "seed", "records", "damages", "intact", "back", "extra", "share");
    for (unsigned seed = 1; seed <= seeds; ++seed) {
        const Share share = measureSeed(seed, count, damages, directory);
        all.intact += share.intact;
        all.back += share.back;
    }
    std::filesystem::remove_all(directory);
    std::printf("records outside the damaged stretches that came back byte for byte: %.3f%%\n",
                100.0 * static_cast<double>(all.back) / static_cast<double>(all.intact));
    return 0;
}
