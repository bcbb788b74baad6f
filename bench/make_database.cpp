// Writes a seeded database file for the benchmarks, straight in the file
// format, so that ten million records take seconds to make.
// Usage: recdb_make_database COUNT FILE [NAMES]
//   NAMES random (default): different names of 6 to 12 letters in random
//                           order, groups 0..999, about 90 distinct ratings,
//                           an info text on 70 % of the records;
//   NAMES same:   every record named "same", the rest as above;
//   NAMES two:    names as random, and only the ratings 1.2 and 2.3.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

void putInt32(std::vector<char>& out, std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((raw >> shift) & 0xFF));
    }
}

void putText(std::vector<char>& out, const std::string& text) {
    putInt32(out, static_cast<std::int32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s COUNT FILE [random|same|two]\n", argv[0]);
        return 2;
    }
    const auto count = std::strtoull(argv[1], nullptr, 10);
    const std::string names = argc > 3 ? argv[3] : "random";
    std::FILE* file = std::fopen(argv[2], "wb");
    if (file == nullptr) {
        std::perror(argv[2]);
        return 2;
    }
    std::mt19937_64 random(20261208);
    std::vector<char> out;
    for (std::uint64_t k = 0; k < count; ++k) {
        std::string name = "same";
        if (names != "same") {
            // A random head of 1 to 7 letters, then the record's number in
            // five base-26 letters: random order, never the same name twice
            // below 26^5 records (about 11.8 million).
            name.clear();
            const auto head = 1 + random() % 7;
            for (std::uint64_t c = 0; c < head; ++c) {
                name += static_cast<char>('a' + random() % 26);
            }
            for (std::uint64_t rest = k, c = 0; c < 5; ++c, rest /= 26) {
                name += static_cast<char>('a' + rest % 26);
            }
        }
        putText(out, name);
        putInt32(out, static_cast<std::int32_t>(random() % 1000));
        if (names == "two") {
            const bool first = random() % 2 == 0;
            putInt32(out, first ? 1 : 2);
            putInt32(out, first ? 2 : 3);
        } else {
            putInt32(out, static_cast<std::int32_t>(random() % 10));
            putInt32(out, static_cast<std::int32_t>(1 + random() % 9));
        }
        if (random() % 10 < 7) {
            putText(out, "note" + std::to_string(random() % 100000));
        } else {
            putInt32(out, -1);
        }
        if (out.size() > (1u << 20)) {
            std::fwrite(out.data(), 1, out.size(), file);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), file);
    return std::fclose(file) == 0 ? 0 : 1;
}
