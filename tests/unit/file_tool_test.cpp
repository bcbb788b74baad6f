#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "file_tool/check.hpp"
#include "file_tool/command_line.hpp"
#include "file_tool/export_file.hpp"
#include "file_tool/import_file.hpp"
#include "file_tool/name_sieve.hpp"
#include "file_tool/name_tally.hpp"
#include "file_tool/salvage.hpp"
#include "file_tool/selected_records.hpp"
#include "io/system_calls.hpp"
#include "request/conditions.hpp"
#include "request/request_type.hpp"
#include "store/record_reader.hpp"

namespace recdb {
namespace {

namespace fs = std::filesystem;

// Database file bytes, written field by field so that any field can be wrong.
class Bytes {
public:
    Bytes& int32(std::int32_t value) {
        const auto raw = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes_ += static_cast<char>((raw >> shift) & 0xFFu);
        }
        return *this;
    }
    Bytes& text(std::string_view text) {
        bytes_ += text;
        return *this;
    }
    Bytes& record(std::string_view name, std::int32_t group = 1, std::int32_t num = 2, std::int32_t den = 3,
                  std::optional<std::string_view> info = std::nullopt) {
        int32(static_cast<std::int32_t>(name.size())).text(name).int32(group).int32(num).int32(den);
        return info ? int32(static_cast<std::int32_t>(info->size())).text(*info) : int32(-1);
    }
    const std::string& str() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    std::string bytes_;
};

// The commands' statuses, their messages on err.
int importStatus(const ImportRequest& request, std::ostream& err) {
    ToolMessages messages(err);
    return importFile(request, messages).status;
}

int exportStatus(const ExportRequest& request, std::ostream& err) {
    ToolMessages messages(err);
    return exportFile(request, messages).status;
}

class FileToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("recdb-file-tool-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::size_t filesInDir() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {})); }

    struct Run {
        int status;
        std::string out;
        std::string err;
    };
    Run check(const std::string& bytes, const CheckLimits& limits = {}) const {
        std::ostringstream out;
        std::ostringstream err;
        const int status = checkFile(put("checked.db", bytes), out, err, limits);
        return {status, out.str(), err.str()};
    }
    Run salvage(const std::string& bytes, const SalvageLimits& limits = {}) const {
        std::ostringstream out;
        std::ostringstream err;
        const int status = salvageFile(put("damaged.db", bytes), path("salvaged.db"), out, err, limits).status;
        return {status, out.str(), err.str()};
    }
    // The names of the records that salvage keeps, in order.
    std::string namesOf(const std::string& bytes) const {
        salvage(bytes);
        const std::string kept = read(path("salvaged.db"));
        std::string names;
        for (std::string_view rest = kept; !rest.empty();) {
            const DecodedRecord decoded = decodeRecord(rest);
            if (decoded.result != RecordRead::Complete) {
                return names + "(unsound)";
            }
            names.append(decoded.record.name).append(" ");
            rest.remove_prefix(decoded.size);
        }
        return names;
    }

    fs::path dir_;
};

TEST_F(FileToolTest, CheckTellsWhereEachFieldEnds) {
    Bytes file;
    file.record("first", 1, 2, 3, "one").record("abc", 7, 3, 4, "xyz");
    const std::size_t second = 28;  // the first record's size
    const std::vector<std::pair<std::size_t, std::string>> cuts = {
        {2, "inside the name length after 2 of its 4 bytes"},
        {4, "before the name"},
        {5, "inside the name after 1 of its 3 bytes"},
        {7, "before the group"},
        {9, "inside the group after 2 of its 4 bytes"},
        {11, "before the first rating number"},
        {14, "inside the first rating number after 3 of its 4 bytes"},
        {15, "before the second rating number"},
        {19, "before the info length"},
        {21, "inside the info length after 2 of its 4 bytes"},
        {23, "before the info"},
        {25, "inside the info after 2 of its 3 bytes"},
    };
    for (const auto& [cut, where] : cuts) {
        const Run run = check(file.str().substr(0, second + cut));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "record 2 at byte 28: problem: the data ends " + where +
                               "; DBload drops this record\n1 record, " + std::to_string(second + cut) +
                               " bytes, 1 problem, 0 notes: DBload does not load all of them unchanged\n");
    }
    const Run whole = check(file.str());
    EXPECT_EQ(whole.status, 0);
    EXPECT_EQ(whole.out, "2 records, 54 bytes, 0 problems, 0 notes: DBload loads all of them unchanged\n");
    EXPECT_EQ(check("").out, "0 records, 0 bytes, 0 problems, 0 notes: DBload loads all of them unchanged\n");
}

TEST_F(FileToolTest, CheckReportsBadLengthsZeroBytesAndNotes) {
    Bytes badLength;
    badLength.record("a").int32(64).text(std::string(80, 'x')).record("b");
    Run run = check(badLength.str());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "record 2 at byte 21: problem: the name length is 64, outside 0..63; DBload refuses the whole file, "
              "and check reads no further\n"
              "1 record, 126 bytes, 1 problem, 0 notes: DBload refuses the whole file\n");

    Bytes odd;
    odd.record(std::string("ab\0c", 4)).record("", 0, 0, 0, std::string("hi\0\n", 4));
    odd.int32(1).text("n").int32(1).int32(1).int32(1).int32(-7);
    run = check(odd.str());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "record 1 at byte 0: problem: the name holds a zero byte after 2 bytes; it loads cut to \"ab\"\n"
              "record 2 at byte 24: note: the name is empty; no request can name this record\n"
              "record 2 at byte 24: problem: the info holds a zero byte after 2 bytes; it loads cut to \"hi\"\n"
              "record 3 at byte 48: note: the info length is -7; the record loads with no info\n"
              "3 records, 69 bytes, 2 problems, 2 notes: DBload does not load all of them unchanged\n");

    Bytes many;
    for (int k = 0; k < 150; ++k) {
        many.record("");
    }
    run = check(many.str());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("... and 51 more findings\n150 records, 3000 bytes, 0 problems, 151 notes: DBload loads "
                           "all of them unchanged\n"),
              std::string::npos);
}

TEST_F(FileToolTest, CheckCountsRepeatedNames) {
    Bytes file;
    for (const char* name : {"b", "a", "b", "c", "a", "b", "d", "e", "f", "g", "h", "d", "e", "f", "g", "h"}) {
        file.record(name);
    }
    const Run run = check(file.str());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "record 1 at byte 0: note: the name \"b\" occurs 3 times, first here\n"
              "record 2 at byte 21: note: the name \"a\" occurs 2 times, first here\n"
              "record 7 at byte 126: note: the name \"d\" occurs 2 times, first here\n"
              "record 8 at byte 147: note: the name \"e\" occurs 2 times, first here\n"
              "record 9 at byte 168: note: the name \"f\" occurs 2 times, first here\n"
              "note: 7 names occur more than once; the first 5 are listed\n"
              "16 records, 336 bytes, 0 problems, 5 notes: DBload loads all of them unchanged\n");
}

// Tallies names[k] as record k + 1 at place 10 * k, in as many passes as it
// asks for.
NameTally tallied(const std::vector<std::string>& names, std::size_t budget, int hashBits = 64) {
    NameTally tally(budget, hashBits);
    do {
        for (std::size_t k = 0; k < names.size(); ++k) {
            tally.add(names[k], k + 1, 10 * k);
        }
    } while (!tally.endPass());
    return tally;
}

TEST(NameTally, ExactInAnyBudget) {
    std::vector<std::string> names;
    for (int k = 0; k < 20000; ++k) {
        names.push_back(std::to_string((k * 7919) % 15000));
    }
    std::map<std::string, std::uint64_t> counts;
    for (const std::string& name : names) {
        ++counts[name];
    }
    std::uint64_t repeated = 0;
    for (const auto& entry : counts) {
        repeated += entry.second > 1 ? 1 : 0;
    }
    // Small budgets narrow the exact count and the sieve; short hashes make
    // names share fingerprints (12 bits) and whole hashes (0 bits).
    const std::vector<std::pair<std::size_t, int>> limits = {{std::size_t{1} << 30, 64},   {std::size_t{256} << 10, 64},
                                                             {std::size_t{32} << 10, 64},  {std::size_t{4} << 10, 64},
                                                             {std::size_t{256} << 10, 40}, {std::size_t{32} << 10, 12},
                                                             {std::size_t{256} << 10, 0}};
    for (const auto& [budget, hashBits] : limits) {
        const NameTally tally = tallied(names, budget, hashBits);
        EXPECT_EQ(tally.repeatedNames(), repeated) << budget << ' ' << hashBits;
        EXPECT_EQ(tally.passes() > 1, budget < (std::size_t{1} << 20)) << budget;
        ASSERT_EQ(tally.firstRepeats().size(), NameTally::Listed);
        for (std::size_t k = 0; k < NameTally::Listed; ++k) {
            const NameTally::Repeat& repeat = tally.firstRepeats()[k];
            EXPECT_EQ(repeat.firstRecord, k + 1);
            EXPECT_EQ(repeat.name, names[k]);
            EXPECT_EQ(repeat.count, counts[names[k]]);
            EXPECT_EQ(repeat.firstPlace, 10 * k);
        }
    }
}

TEST(NameTally, ReadsOnceWhatFitsAndTwiceWhatTheSieveHolds) {
    // A budget of 128 KiB counts 2048 names exactly and sieves 24576.
    const std::size_t budget = std::size_t{128} << 10;
    const auto distinct = [](int count, int repeatedFirst) {
        std::vector<std::string> names;
        for (int k = 0; k < count + repeatedFirst; ++k) {
            names.push_back(std::to_string(k < count ? k : k - count));
        }
        return names;
    };
    std::vector<std::string> early = distinct(30, 30);  // met twice before the sieve starts
    const std::vector<std::string> later = distinct(20000, 0);
    early.insert(early.end(), later.begin() + 30, later.end());
    // Past the sieve's capacity, each range it takes costs two passes at most.
    const struct {
        std::vector<std::string> names;
        std::size_t maxPasses;
        std::uint64_t repeated;
    } cases[] = {
        {distinct(2000, 30), 1, 30},
        {distinct(20000, 100), 2, 100},
        {early, 2, 30},
        {std::vector<std::string>(50000, "same"), 1, 1},
        {distinct(60000, 7), 6, 7},
    };
    for (const auto& [names, maxPasses, repeated] : cases) {
        const NameTally tally = tallied(names, budget);
        EXPECT_LE(tally.passes(), maxPasses) << names.size();
        EXPECT_EQ(tally.repeatedNames(), repeated) << names.size();
    }
}

TEST(NameSieve, MarksWhatCameTwiceAfterGivingUpARange) {
    std::mt19937_64 random(11);
    std::vector<std::uint64_t> hashes(700);
    for (std::uint64_t& hash : hashes) {
        hash = random();
    }
    // 1024 slots, 700 of them taken: dropping half the range breaks chains
    // that the fingerprints left must still be found along.
    for (const std::uint64_t high : {std::uint64_t{1} << 63, std::uint64_t{1} << 61, ~std::uint64_t{0}}) {
        NameSieve sieve(4096);
        sieve.start();
        for (const std::uint64_t hash : hashes) {
            sieve.add(hash);
        }
        sieve.dropAbove(high);
        std::vector<std::uint32_t> expected;
        for (std::size_t k = 0; k < hashes.size(); k += 3) {
            if (hashes[k] <= high) {
                sieve.add(hashes[k]);
                expected.push_back(NameSieve::fingerprint(hashes[k]));
            }
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(sieve.marked(), expected.size());
        EXPECT_EQ(sieve.takeMarked().prints(), expected) << high;
    }
}

// Records named r0, r1, ... with infos of varied length.
Bytes numbered(int from, int to) {
    Bytes bytes;
    for (int k = from; k < to; ++k) {
        std::string name = "r";
        name += std::to_string(k);
        bytes.record(name, k, k % 7, 3,
                     k % 3 == 0 ? std::nullopt : std::optional(std::string(static_cast<std::size_t>(k % 11), 'i')));
    }
    return bytes;
}

TEST_F(FileToolTest, SalvageKeepsEverySoundRecordAroundDamage) {
    const std::string before = numbered(0, 10).str();
    const std::string after = numbered(11, 20).str();
    const std::string all = namesOf(before + numbered(10, 20).str());
    const std::string withoutTen = namesOf(before + after);
    Bytes badLength;
    badLength.int32(1000).text("r10").int32(10).int32(3).int32(3).int32(-1);
    Bytes zeroInName;
    zeroInName.record(std::string("r1\0", 3));
    Bytes swallowing;  // an info length made large hides the records after it
    swallowing.int32(3).text("r10").int32(10).int32(3).int32(3).int32(100);
    Bytes emptyRecords;  // zeros read as records with empty names
    emptyRecords.text(std::string(100, '\0'));
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {before + badLength.str() + after, withoutTen},
        {before + zeroInName.str() + after, withoutTen},
        {before + swallowing.str() + after, withoutTen},
        {before + emptyRecords.str() + after, withoutTen},
        {before + std::string(37, 'g') + after, withoutTen},
        {before + after.substr(5), namesOf(before + numbered(12, 20).str())},
        {before + after.substr(0, after.size() - 5), namesOf(before + numbered(11, 19).str())},
        {std::string(3, '\x7f') + before, namesOf(before)},
        {before + numbered(10, 20).str(), all},
    };
    for (const auto& [bytes, kept] : damaged) {
        EXPECT_EQ(namesOf(bytes), kept);
        const Run run = salvage(bytes);
        EXPECT_EQ(run.status, bytes.size() == before.size() + numbered(10, 20).size() ? 0 : 1) << run.out;
        EXPECT_EQ(check(read(path("salvaged.db"))).status, 0);
    }
}

TEST_F(FileToolTest, SalvageReportsStretchesAndNeverWritesOverItsInput) {
    const std::string bytes = numbered(0, 5).str() + "junk" + numbered(5, 10).str();
    Run run = salvage(bytes);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "skipped 4 bytes at byte " + std::to_string(numbered(0, 5).size()) + "\nkept 10 records of " +
                           std::to_string(bytes.size()) + " bytes; skipped 1 stretch of 4 bytes\n");
    EXPECT_EQ(read(path("salvaged.db")), numbered(0, 10).str());

    // Through a symbolic link too, where one can be made (Windows asks a
    // privilege for it).
    std::vector<std::string> outputs{path("damaged.db")};
    std::error_code cannotLink;
    fs::create_symlink(path("damaged.db"), path("link.db"), cannotLink);
    if (!cannotLink) {
        outputs.push_back(path("link.db"));
    }
    for (const std::string& output : outputs) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(salvageFile(path("damaged.db"), output, out, err).status, 2);
        EXPECT_NE(err.str().find("is the input file itself"), std::string::npos);
        EXPECT_EQ(read(path("damaged.db")), bytes);
    }
}

// Damaged files with records longer than small windows: kept long records,
// lengths that reach past the window or past the end, long texts free of
// zero bytes, and more stretches than a short list holds.
std::vector<std::string> damagedFiles() {
    const std::string clean = numbered(0, 30).str();
    Bytes longInfos;
    for (int k = 1; k <= 6; ++k) {
        longInfos.record("long" + std::to_string(k), k, 1, 2, std::string(static_cast<std::size_t>(k) * 150, 'L'));
    }
    const std::string longs = longInfos.str();
    Bytes swallowing;
    swallowing.int32(3).text("big").int32(1).int32(1).int32(1).int32(2000);
    std::string stretches;
    for (int k = 0; k < 40; ++k) {
        stretches += numbered(k, k + 1).str() + std::string(static_cast<std::size_t>(k % 3 + 1), '\x7f');
    }
    std::string noise(3000, '\0');
    std::mt19937 random(7);
    for (char& byte : noise) {
        byte = static_cast<char>(random() % 4 == 0 ? 0 : random() % 256);
    }
    return {clean,
            longs + "junk" + clean,
            clean.substr(0, 100) + swallowing.str() + longs + clean.substr(100),
            swallowing.str() + std::string(2500, 'z') + clean,
            longs.substr(0, longs.size() - 5),
            clean + longs.substr(0, 700),
            std::string(300, '\0') + longs,
            stretches,
            noise + clean + noise.substr(0, 500)};
}

#ifndef _WIN32
// Runs a command on a pipe (by its name in /dev/fd) that a thread fills.
// Windows gives a pipe no such name: there, only files are tried.
template <typename Command>
auto throughPipe(const std::string& bytes, Command command) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    std::thread writer([&bytes, end = ends[1]] {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t wrote = ::write(end, bytes.data() + done, bytes.size() - done);
            if (wrote <= 0) {
                break;
            }
            done += static_cast<std::size_t>(wrote);
        }
        ::close(end);
    });
    auto result = command("/dev/fd/" + std::to_string(ends[0]));
    writer.join();
    ::close(ends[0]);
    return result;
}
#endif

TEST_F(FileToolTest, SalvageGivesTheSameInAnyWindowAndFromAPipe) {
    for (const std::string& bytes : damagedFiles()) {
        const Run whole = salvage(bytes);
        const std::string written = read(path("salvaged.db"));
        for (const SalvageLimits limits :
             {SalvageLimits{1, 0}, SalvageLimits{7, 1}, SalvageLimits{83, 3}, SalvageLimits{400, 1000}}) {
            const Run run = salvage(bytes, limits);
            EXPECT_EQ(run.out, whole.out) << limits.reach << ' ' << limits.listedStretches;
            EXPECT_EQ(run.status, whole.status);
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(read(path("salvaged.db")), written);
        }
#ifndef _WIN32
        const Run piped = throughPipe(bytes, [&](const std::string& input) {
            std::ostringstream out;
            std::ostringstream err;
            const int status = salvageFile(input, path("piped.db"), out, err, {1, 0}).status;
            return Run{status, out.str(), err.str()};
        });
        EXPECT_EQ(piped.out, whole.out);
        EXPECT_EQ(read(path("piped.db")), written);
#endif
    }
}

// Files whose names repeat in many ways, with more than a hundred findings.
std::vector<std::string> repeatingFiles() {
    Bytes pool;
    Bytes distinct;
    Bytes one;
    Bytes findings;
    Bytes early;  // names met twice only before a small budget is full
    for (int k = 0; k < 3000; ++k) {
        early.record(std::to_string(k / 2 + (k < 80 ? 0 : k)));
        pool.record(std::to_string(k * 7919 % 700), k);
        distinct.record(std::to_string(k), k, 1, 1, k % 2 == 0 ? std::optional<std::string_view>("i") : std::nullopt);
        one.record(k % 1000 == 0 ? "other" : "one");
        findings.record(k % 20 == 0 ? "" : std::to_string(k % 900), 1, 1, 1, std::string(k % 7 == 0 ? "a\0b" : "ab"));
    }
    distinct.text(numbered(0, 10).str());
    Bytes badEnd;
    badEnd.text(pool.str()).int32(64).text("after");
    return {pool.str(),   distinct.str(), one.str(), findings.str(), distinct.str().substr(0, distinct.size() - 3),
            badEnd.str(), early.str()};
}

TEST_F(FileToolTest, CheckGivesTheSameInAnyBudgetAndFromAPipe) {
    // Budgets that narrow the exact count and the sieve; hashes cut short so
    // that names share fingerprints, and whole hashes.
    const CheckLimits limits[] = {{4096, 64}, {32768, 64}, {65536, 40}, {20000, 12}, {100000, 0}};
    for (const std::string& bytes : repeatingFiles()) {
        const Run whole = check(bytes);
        for (const CheckLimits& limit : limits) {
            const Run run = check(bytes, limit);
            EXPECT_EQ(run.out, whole.out) << limit.budget << ' ' << limit.hashBits;
            EXPECT_EQ(run.status, whole.status);
        }
#ifndef _WIN32
        const Run piped = throughPipe(bytes, [](const std::string& input) {
            std::ostringstream out;
            std::ostringstream err;
            const int status = checkFile(input, out, err, {4096, 12});
            return Run{status, out.str(), err.str()};
        });
        EXPECT_EQ(piped.out, whole.out);
#endif
    }
}

TEST_F(FileToolTest, ExportThenImportGivesTheSameBytes) {
    Bytes file;
    file.record("comma,name", 0, 0, 0, "a,b")
        .record("quote\"d", -2147483647 - 1, -1, -2, "say \"hi\"")
        .record("tab\there", 2147483647, 0, -5, "\t")
        .record("cr\rlf\nboth\r\n", 1, -7, 0, "line\nbreak\r\n")
        .record("back\\slash\\N", 2, 3, 4, "\\N")
        .record("\x80\xff\xc3\xa9 high", 3, 4, 5, "\xfe\xfd")
        .record(std::string(63, 'L'), 4, 5, 6, std::string(1000, 'i'))
        .record("empty", 5, 6, 7, "")
        .record("absent")
        .record(" spaced ", 6, 7, 8, " ")
        .record("comma,name", 7, 8, 9, std::nullopt)
        .record("\"", 8, 9, 10, "\"\"");
    const std::string source = put("source.db", file.str());
    ASSERT_EQ(check(file.str()).status, 0);
    for (const ExportFormat format : {ExportFormat::Csv, ExportFormat::Tsv}) {
        std::ostringstream err;
        ASSERT_EQ(exportStatus(ExportRequest(source, path("text"), format), err), 0) << err.str();
        const TableFormat table = format == ExportFormat::Csv ? TableFormat::Csv : TableFormat::Tsv;
        ASSERT_EQ(importStatus(ImportRequest(path("text"), path("back.db"), table), err), 0) << err.str();
        EXPECT_EQ(read(path("back.db")), file.str());
        EXPECT_NE(err.str().find("1 name occurring more than once, kept as DBload keeps them: \"comma,name\" 2 times "
                                 "from row 1\n"),
                  std::string::npos)
            << err.str();
    }
}

TEST_F(FileToolTest, ImportRefusesBadRowsAndWritesNothing) {
    put("old.db", "old");
    const std::string csv =
        "name,group,rating,info\n"
        "ok,1,2.3,\n"
        ",1,2.3,x\n"
        "big,99999999999,1.1,\n"
        "\"two\nlines\",1,1,\n"
        "x\"y,1,1.1,\n"
        "short,1\n";
    std::ostringstream err;
    EXPECT_EQ(importStatus(ImportRequest(put("in.csv", csv), path("old.db"), TableFormat::Csv), err), 1);
    EXPECT_EQ(err.str(), "recdb-file: " + path("in.csv") +
                             " line 3, column 1 (name): the name is empty\n"
                             "recdb-file: " +
                             path("in.csv") +
                             " line 4, column 2 (group): the group \"99999999999\" is not a whole number of 32 bits\n"
                             "recdb-file: " +
                             path("in.csv") +
                             " line 5 (physical line 6), column 3 (rating): the rating \"1\" is not two whole numbers "
                             "of 32 bits joined by a point\n"
                             "recdb-file: " +
                             path("in.csv") +
                             " line 7, column 1 (name): a quote inside a field that does not begin with one\n"
                             "recdb-file: " +
                             path("in.csv") +
                             " line 8, column 3 (rating): the row has 2 fields where the "
                             "header has 4\n"
                             "recdb-file: 5 rows refused; nothing was written\n");
    EXPECT_EQ(read(path("old.db")), "old");
    EXPECT_EQ(filesInDir(), 2U);

    for (const std::string& header :
         {std::string(""), std::string("name,group\n"), std::string("Name,group,rating\n")}) {
        std::ostringstream refused;
        EXPECT_EQ(
            importStatus(ImportRequest(put("in.csv", header + "a,1,1.1\n"), path("old.db"), TableFormat::Csv), refused),
            1);
        EXPECT_EQ(read(path("old.db")), "old");
    }
    std::ostringstream noInfo;
    EXPECT_EQ(
        importStatus(ImportRequest(put("in.csv", "name,group,rating\r\na,1,1.1\r\n"), path("new.db"), TableFormat::Csv),
                     noInfo),
        0);
    EXPECT_EQ(read(path("new.db")), Bytes().record("a", 1, 1, 1).str());
}

TEST_F(FileToolTest, ExportOfAFileThatLoadRefusesWritesNothing) {
    put("out.csv", "old");
    Bytes file;
    file.record("a").int32(-1);
    std::ostringstream err;
    EXPECT_EQ(exportStatus(ExportRequest(put("bad.db", file.str()), path("out.csv"), ExportFormat::Csv), err), 1);
    EXPECT_EQ(err.str(),
              "recdb-file: record 2 at byte 21 has the name length -1, outside 0..63: DBload refuses the "
              "whole file, so it is not exported\n");
    EXPECT_EQ(read(path("out.csv")), "old");

    Bytes cut;
    cut.record("a", 1, 1, 1, std::string("x\0y", 3)).record("b");
    std::ostringstream warned;
    EXPECT_EQ(exportStatus(
                  ExportRequest(put("cut.db", cut.str().substr(0, cut.size() - 2)), path("out.csv"), ExportFormat::Csv),
                  warned),
              1);
    EXPECT_EQ(read(path("out.csv")), "name,group,rating,info\na,1,1.1,x\n");
    EXPECT_EQ(warned.str(),
              "recdb-file: the data ends inside record 2 at byte 24; it is not exported, as DBload drops it\n"
              "recdb-file: zero bytes in the texts of 1 record; exported cut there, as DBload loads them\n");
}

// The file system's stat failing for one path, with one errno.
class FailingStat final : public io::SystemCalls {
public:
    FailingStat(std::string path, int reason) : path_(std::move(path)), reason_(reason) {}

    int stat(const char* path, io::FileStatus* info) override {
        if (path_ == path) {
            errno = reason_;
            return -1;
        }
        return io::SystemCalls::stat(path, info);
    }

private:
    std::string path_;
    int reason_;
};

TEST_F(FileToolTest, AStatThatFailsStopsEachCommandBeforeItWrites) {
    const std::string database = put("in.db", numbered(0, 3).str());
    const std::string csv = put("in.csv", "name,group,rating\na,1,1.1\n");
    const std::string output = put("out", "old");
    struct Case {
        std::string failing;
        int reason;
        std::string message;
    };
    const auto cannotTell = [&](int reason) {
        return "recdb-file: cannot tell whether " + output + " is the input file itself: " + std::strerror(reason) +
               "; nothing was written\n";
    };
    const std::vector<Case> cases = {
        {"in", EIO, std::string(": ") + std::strerror(EIO) + "\n"},
        {output, EIO, cannotTell(EIO)},
        {output, ELOOP, cannotTell(ELOOP)},
    };
    for (const Case& c : cases) {
        for (const std::string_view command : {"import", "export", "salvage"}) {
            const std::string input = command == "import" ? csv : database;
            FailingStat calls(c.failing == "in" ? input : c.failing, c.reason);
            const io::SystemCallsOverride failing(calls);
            std::ostringstream out;
            std::ostringstream err;
            ToolMessages messages(err);
            const int status = command == "import"   ? importFile(ImportRequest(input, output), messages).status
                               : command == "export" ? exportFile(ExportRequest(input, output), messages).status
                                                     : salvageFile(input, output, out, err).status;
            EXPECT_EQ(status, 2) << command;
            const std::string expected = c.failing == "in" ? "recdb-file: cannot read " + input + c.message : c.message;
            EXPECT_EQ(err.str(), expected) << command;
            EXPECT_EQ(read(output), "old") << command;
        }
    }
    // An output that is not there yet, or behind a directory that cannot be
    // searched, is no reason to stop: the writing says what it meets.
    FailingStat absent(path("new.db"), ENOENT);
    const io::SystemCallsOverride failing(absent);
    std::ostringstream err;
    EXPECT_EQ(importStatus(ImportRequest(csv, path("new.db")), err), 0) << err.str();
    EXPECT_EQ(read(path("new.db")), Bytes().record("a", 1, 1, 1).str());
}

// The records that export --where and --sort find: each as name:group, and
// whether the whole file had to be loaded for the trees' shapes.
TEST_F(FileToolTest, SelectionsLoadTheWholeFileOnlyWhereTheTreesShow) {
    Bytes file;
    file.record("Alder", 3, 4, 5, "tall")
        .record("Birch", 2, 1, 2)
        .record("Alder", 1, 2, 4, "x")
        .record("Cedar", 2, 1, 2)
        .record("Alder", 2, 1, 2);
    const std::string database = put("trees.db", file.str());
    struct Case {
        std::string where;
        std::optional<RecordOrder> order;
        bool rereadable;
        std::vector<std::string> records;  // empty: only the count is known
        std::size_t count;
        bool whole;
    };
    const std::vector<Case> cases = {
        {"group=2", {}, true, {"Birch:2", "Cedar:2", "Alder:2"}, 3, false},
        {"  group=2-3   rating=1.2-*",
         RecordOrder::ByGroup,
         true,
         {"Alder:2", "Birch:2", "Cedar:2", "Alder:3"},
         4,
         false},
        {"name=Birch", {}, true, {"Birch:2"}, 1, false},
        {"name=Birch", {}, false, {"Birch:2"}, 1, true},
        {"name=Alder", {}, true, {}, 1, true},
        {"name=Al*", RecordOrder::ByRating, true, {}, 3, false},
        {"rating=1.2 group=2", RecordOrder::ByName, true, {"Alder:2", "Birch:2", "Cedar:2"}, 3, false},
        {"rating=1.2", RecordOrder::ByName, true, {}, 4, true},
        {"rating=1.2", {}, true, {"Birch:2", "Alder:1", "Cedar:2", "Alder:2"}, 4, false},
        {"", RecordOrder::ByName, true, {}, 5, false},
        {"group=7", RecordOrder::ByName, true, {}, 0, false},
    };
    for (const Case& c : cases) {
        io::InputFile input;
        ASSERT_TRUE(input.open(database));
        std::string line = c.where;
        normalizeRequest(line);
        SelectedRecords selected(parseConditions(line), c.order);
        ReadTally tally;
        ASSERT_TRUE(selected.read(input, c.rereadable, tally)) << c.where;
        std::vector<std::string> found;
        selected.forEach([&found](const RecordView& record, bool) {
            found.push_back(std::string(record.name) + ":" + std::to_string(record.group));
        });
        EXPECT_EQ(found.size(), c.count) << c.where;
        if (!c.records.empty()) {
            EXPECT_EQ(found, c.records) << c.where;
        }
        EXPECT_EQ(selected.loadedWhole(), c.whole) << c.where;
        EXPECT_EQ(tally.read, 5U) << c.where;
    }
}

TEST_F(FileToolTest, ExportWritesTheSelectionAndCountsIt) {
    Bytes file;
    file.record("b", 2, 1, 2).record("a", 1, 1, 2).record("c", 3, 2, 2);
    const std::string database = put("in.db", file.str());
    std::ostringstream err;
    ToolMessages messages(err);
    ExportRequest request(database, path("out.tsv"), ExportFormat::Tsv);
    request.where = "group=1-2";
    request.order = RecordOrder::ByName;
    const ToolOutcome outcome = exportFile(request, messages);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.recordsWritten, 2U);
    EXPECT_EQ(read(path("out.tsv")), "name\tgroup\trating\tinfo\na\t1\t1.2\t\\N\nb\t2\t1.2\t\\N\n");
    request.where = "name=zzz";
    EXPECT_EQ(exportFile(request, messages).recordsWritten, 0U);
    EXPECT_EQ(read(path("out.tsv")), "name\tgroup\trating\tinfo\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(FileToolTest, ImportTakesColumnsByNameAndSaysWhatItSkipped) {
    const std::string csv = put("in.csv",
                                "code,city,score,title\n"
                                "AB,Oslo,1.2,first\n"
                                "\n"
                                "CD,Rome,3.4,\n"
                                "\r\n");
    ColumnChoice choice;
    ASSERT_FALSE(readColumnMaps({"name=code", "group=score", "rating=score", "info=title"}, choice));
    std::ostringstream err;
    EXPECT_EQ(importStatus(ImportRequest(csv, path("out.db"), TableFormat::Csv, choice), err), 1);
    EXPECT_EQ(err.str(), "recdb-file: " + csv +
                             " line 1, column 2: the header has \"city\", which no field takes "
                             "(--ignore-other-columns passes over such columns)\n"
                             "recdb-file: 1 row refused; nothing was written\n");
    choice.ignoreOthers = true;
    std::ostringstream refused;
    EXPECT_EQ(importStatus(ImportRequest(csv, path("out.db"), TableFormat::Csv, choice), refused), 1);
    EXPECT_EQ(refused.str(), "recdb-file: " + csv +
                                 " line 2, column 3 (group): the group \"1.2\" is not a whole number of 32 bits\n"
                                 "recdb-file: " +
                                 csv +
                                 " line 4, column 3 (group): the group \"3.4\" is not a whole number of 32 bits\n"
                                 "recdb-file: 2 rows refused; nothing was written\n");
    ColumnChoice fixed;
    fixed.ignoreOthers = true;
    ASSERT_FALSE(readColumnMaps({"name=code", "rating=score", "info=title", "group=group"}, fixed));
    put("in.csv", "code,group,city,score,title\nAB,1,Oslo,1.2,first\n\nCD,2,Rome,3.4,\n");
    std::ostringstream warned;
    ToolMessages messages(warned);
    const ToolOutcome outcome = importFile(ImportRequest(csv, path("out.db"), TableFormat::Csv, fixed), messages);
    EXPECT_EQ(outcome.status, 0) << warned.str();
    EXPECT_EQ(outcome.recordsWritten, 2U);
    EXPECT_EQ(read(path("out.db")), Bytes().record("AB", 1, 1, 2, "first").record("CD", 2, 3, 4).str());
    EXPECT_EQ(warned.str(), "recdb-file: warning: " + csv + " has 1 empty line, passed over (the first at line 3)\n");
    std::ostringstream quiet;
    ToolMessages quietMessages(quiet, true);
    EXPECT_EQ(importFile(ImportRequest(csv, path("out.db"), TableFormat::Csv, fixed), quietMessages).status, 0);
    EXPECT_EQ(quiet.str(), "");
}

TEST(FileToolCommandLine, FormatsFromNamesAndColumnMaps) {
    const std::vector<std::pair<std::string, ExportFormat>> names = {
        {"a.tsv", ExportFormat::Tsv},  {"dir.tsv/A.TSV", ExportFormat::Tsv}, {"b.jsonl", ExportFormat::Jsonl},
        {"c.csv", ExportFormat::Csv},  {"tsv", ExportFormat::Csv},           {"d.tsv.gz", ExportFormat::Csv},
        {"e.json", ExportFormat::Csv},
    };
    for (const auto& [name, format] : names) {
        EXPECT_EQ(formatOfName(name), format) << name;
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> maps = {
        {{"name=a", "info=b=c"}, ""},
        {{"rating="}, ""},
        {{"title=a"}, "--map takes FIELD=COLUMN, FIELD one of name, group, rating and info, not \"title=a\""},
        {{"name"}, "--map takes FIELD=COLUMN, FIELD one of name, group, rating and info, not \"name\""},
        {{"group=a", "group=b"}, "--map gives the group twice"},
    };
    for (const auto& [words, problem] : maps) {
        ColumnChoice choice;
        EXPECT_EQ(readColumnMaps(words, choice).value_or(""), problem);
    }
    ColumnChoice choice;
    ASSERT_FALSE(readColumnMaps({"name=a", "info=b=c"}, choice));
    EXPECT_EQ(choice.headers, (std::array<std::string, 4>{"a", "group", "rating", "b=c"}));
    EXPECT_TRUE(choice.infoAskedFor);
}

}  // namespace
}  // namespace recdb
