// Runs recdb on a transcript and compares what it writes, byte for byte.
// Usage: recdb_transcript RECDB CASE.t
//
// A transcript is one file per case. Lines starting with "#" before the
// first section describe the case. Each section starts with a line
// "=== KIND [NAME] [hex] [noeol]" and holds the lines up to the next one:
//   input         what recdb reads on standard input
//   output        what it must write on standard output
//   given NAME    a file put into recdb's working directory beforehand
//   expect NAME   a file that recdb must have written there
// "hex" means the section holds its bytes as hexadecimal digits; "noeol" that
// its last line has no line feed. The output and every expected file not
// given in hex are text: each line feed stands for the system's line end.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../line_ends.hpp"
#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using recdb::testing::asText;

struct Section {
    std::string kind;
    std::string name;
    std::string bytes;
    bool hex = false;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string fromHex(const std::string& text) {
    std::string bytes;
    int high = -1;
    for (const char c : text) {
        int value = -1;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        }
        if (value < 0) {
            continue;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes += static_cast<char>(high * 16 + value);
            high = -1;
        }
    }
    return bytes;
}

std::vector<Section> parse(const std::string& text) {
    std::vector<Section> sections;
    bool hex = false;
    bool noEndOfLine = false;
    const auto finish = [&] {
        if (sections.empty()) {
            return;
        }
        std::string& bytes = sections.back().bytes;
        sections.back().hex = hex;
        if (hex) {
            bytes = fromHex(bytes);
        } else if (noEndOfLine && !bytes.empty()) {
            bytes.pop_back();
        }
    };
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind("=== ", 0) == 0) {
            finish();
            std::istringstream words(line.substr(4));
            Section section;
            words >> section.kind;
            hex = noEndOfLine = false;
            for (std::string word; words >> word;) {
                if (word == "hex") {
                    hex = true;
                } else if (word == "noeol") {
                    noEndOfLine = true;
                } else {
                    section.name = word;
                }
            }
            sections.push_back(section);
        } else if (!sections.empty()) {
            sections.back().bytes += line + '\n';
        }
    }
    finish();
    return sections;
}

// The first line where two texts differ, shown with both versions.
void reportDifference(const std::string& what, const std::string& expected, const std::string& actual) {
    std::size_t lineStart = 0;
    std::size_t position = 0;
    while (position < expected.size() && position < actual.size() && expected[position] == actual[position]) {
        if (expected[position] == '\n') {
            lineStart = position + 1;
        }
        ++position;
    }
    const auto lineAt = [lineStart](const std::string& text) {
        const std::size_t end = text.find('\n', lineStart);
        return lineStart >= text.size() ? std::string("(end)") : text.substr(lineStart, end - lineStart);
    };
    std::cerr << what << " differs at byte " << position << "\n  expected: " << lineAt(expected)
              << "\n  actual:   " << lineAt(actual) << '\n';
}

// A fresh directory for one run.
fs::path makeRunDirectory() {
    std::random_device seed;
    for (;;) {
        fs::path base = fs::temp_directory_path() / ("recdb-transcript-" + std::to_string(seed()));
        if (fs::create_directory(base)) {
            return base;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " RECDB CASE.t\n";
        return 2;
    }
    const fs::path binary = fs::absolute(argv[1]);
    const std::vector<Section> sections = parse(readFile(argv[2]));
    const fs::path base = makeRunDirectory();
    const fs::path run = base / "run";
    fs::create_directory(run);
    std::string input;
    std::string output;
    for (const Section& section : sections) {
        if (section.kind == "input") {
            input = section.bytes;
        } else if (section.kind == "output") {
            output = asText(section.bytes);
        } else if (section.kind == "given") {
            std::ofstream(run / section.name, std::ios::binary) << section.bytes;
        }
    }
    std::ofstream(base / "stdin", std::ios::binary) << input;
    bool passed = runProgram(binary, run, base / "stdin", base / "stdout") == 0;
    if (!passed) {
        std::cerr << "recdb did not exit with status 0\n";
    }
    const std::string actual = readFile(base / "stdout");
    if (actual != output) {
        reportDifference("standard output", output, actual);
        passed = false;
    }
    for (const Section& section : sections) {
        if (section.kind == "expect") {
            const std::string written = readFile(run / section.name);
            const std::string expected = section.hex ? section.bytes : asText(section.bytes);
            if (written != expected) {
                reportDifference(section.name, expected, written);
                passed = false;
            }
        }
    }
    fs::remove_all(base);
    return passed ? 0 : 1;
}
