// Writes a seeded random request script for recdb, and the database files it
// loads, into a directory: for comparing two builds byte for byte
// (scripts/differential.sh). Names, groups and ratings come from small sets,
// so that requests meet existing records, names repeat in the loaded files,
// and many records share a rating.
// Usage: recdb_random_requests SEED DIRECTORY [REQUESTS]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

class Script {
public:
    explicit Script(unsigned seed) : random_(seed) {}

    std::uint32_t below(std::uint32_t limit) { return static_cast<std::uint32_t>(random_() % limit); }
    bool chance(std::uint32_t percent) { return below(100) < percent; }

    std::string name() {
        const char* stems[] = {"a", "b", "ab", "abc", "b1", "m", "zz", "\xC3\xA9t\xC3\xA9"};
        std::string text = stems[below(8)];
        text += std::to_string(below(names_));
        // Short names repeat most: the loaded files are full of them.
        return chance(50) ? text.substr(0, 2) : text;
    }
    std::string rating() { return std::to_string(below(4)) + "." + std::to_string(below(3)); }
    std::string group() { return std::to_string(below(5)); }

    std::string conditions() {
        std::string text;
        if (chance(40)) {
            text += chance(50) ? " name=" + name() : " name=" + name().substr(0, 1) + "*";
        }
        if (chance(40)) {
            text += chance(50) ? " group=" + group() : " group=" + group() + "-" + group();
        }
        if (chance(50)) {
            const int form = static_cast<int>(below(3));
            text += form == 0   ? " rating=" + rating()
                    : form == 1 ? " rating=" + rating() + "-" + rating()
                                : " rating=" + rating() + "-*";
        }
        return text;
    }

    std::string fields() {
        const char* all[] = {"name", "group", "rating", "info"};
        std::string text;
        for (const char* field : all) {
            if (chance(60)) {
                text += std::string(" ") + field;
            }
        }
        if (chance(60)) {
            text += std::string(" sort ") + all[below(3)];
        }
        return text;
    }

    // A database file of count records whose names and ratings repeat.
    void writeDatabase(const std::string& path, unsigned count) {
        std::ofstream out(path, std::ios::binary);
        const auto put = [&out](std::int32_t value) {
            const auto raw = static_cast<std::uint32_t>(value);
            const char bytes[4] = {static_cast<char>(raw & 0xFF), static_cast<char>((raw >> 8) & 0xFF),
                                   static_cast<char>((raw >> 16) & 0xFF), static_cast<char>(raw >> 24)};
            out.write(bytes, 4);
        };
        for (unsigned k = 0; k < count; ++k) {
            const std::string text = name();
            put(static_cast<std::int32_t>(text.size()));
            out << text;
            put(static_cast<std::int32_t>(below(5)));
            put(static_cast<std::int32_t>(below(4)));
            put(static_cast<std::int32_t>(below(3)));
            if (chance(60)) {
                std::string info = "i";
                info += std::to_string(k);
                put(static_cast<std::int32_t>(info.size()));
                out << info;
            } else {
                put(-1);
            }
        }
    }

    void setNames(std::uint32_t names) { names_ = names; }

private:
    std::mt19937 random_;
    std::uint32_t names_ = 50;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SEED DIRECTORY [REQUESTS]\n", argv[0]);
        return 2;
    }
    const auto seed = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
    const std::string directory = argv[2];
    const unsigned requests = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 400;
    Script script(seed);
    script.setNames(5 + script.below(200));
    script.writeDatabase(directory + "/repeated.db", 20 + script.below(2000));
    script.writeDatabase(directory + "/small.db", script.below(40));
    std::ofstream out(directory + "/script.in", std::ios::binary);
    out << "DBload repeated.db\n";
    for (unsigned k = 0; k < requests; ++k) {
        const std::uint32_t kind = script.below(100);
        if (kind < 3) {
            out << "DBload " << (script.chance(70) ? "repeated.db" : "small.db") << "\n";
        } else if (kind < 5) {
            out << "DBstore stored" << script.below(3) << ".db\n";
        } else if (kind < 6) {
            out << "DBload stored" << script.below(3) << ".db\n";
        } else if (kind < 35) {
            out << "insert name=" << script.name() << " group=" << script.group() << " rating=" << script.rating();
            if (script.chance(60)) {
                out << " info=x" << script.below(100);
            }
            out << "\n";
        } else if (kind < 50) {
            out << "remove name=" << script.name() << "\n";
        } else if (kind < 75) {
            out << "select" << script.conditions() << "\n";
        } else if (kind < 80) {
            out << "reselect" << script.conditions() << "\n";
        } else if (kind < 95) {
            out << "print" << script.fields() << "\n";
        } else {
            out << "fileprint" << script.fields() << " end report" << script.below(2) << ".txt"
                << (script.chance(50) ? " HTML" : "") << "\n";
        }
    }
    out << "exit\n";
    return 0;
}
