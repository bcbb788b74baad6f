#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../line_ends.hpp"
#include "io/paths.hpp"
#include "output/file_print.hpp"
#include "request/conditions.hpp"
#include "store/database_file.hpp"
#include "test_support.hpp"

namespace recdb::testing {

// A directory of the test's own, with files written and read byte for byte.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() / ("recdb-files-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(dir);
    }

    // The path of a file in the directory, named in UTF-8 (std::filesystem
    // would read a narrow name in Windows' ANSI code page).
    std::string path(const std::string& name) const { return dir.string() + "/" + name; }
    // The path of a file named in UTF-8, as the program reads names.
    static std::filesystem::path fromUtf8(const std::string& name) {
        return std::u8string(reinterpret_cast<const char8_t*>(name.data()), name.size());
    }
    static std::string readFile(const std::string& file) {
        std::ifstream in(fromUtf8(file), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeFile(const std::string& file, const std::string& bytes) {
        std::ofstream(fromUtf8(file), std::ios::binary) << bytes;
    }
    static std::string describe(const Database& db) {
        std::string text;
        const RecordStore& records = db.records();
        for (RecordId id = records.first(); id != NoRecord; id = records.next(id)) {
            text.append(records.name(id)).append(",").append(std::to_string(records.group(id)));
            text.append(",").append(std::to_string(records.ratingNum(id)));
            text.append(".").append(std::to_string(records.ratingDen(id))).append(",");
            if (const auto info = records.info(id)) {
                text.append("[").append(*info).append("]");
            } else {
                text.append("-");
            }
            text.append(";");
        }
        return text;
    }
    std::size_t filesInDir() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
    }

    std::filesystem::path dir;
};

inline const std::string ExampleRecord("\x03\0\0\0abc\x07\0\0\0\x03\0\0\0\x04\0\0\0\xFF\xFF\xFF\xFF", 23);

// A database of three records, all selected, for reports.
class ReportTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        for (const Record& record :
             {makeRecord("b<B>", 3, 4, 5, "tall<B>x</B>"), makeRecord("a", -2, 3, -1), makeRecord("c", 7, 1, 2, "")}) {
            db.replace(record.view());
        }
        ASSERT_TRUE(selectRecords(db, selection, parseConditions("")));
    }
    PrintResult print(const std::string& file, PrintType type, FieldSet fields, SortKey sortKey) {
        return filePrintSelection(file, type, db.records(), selection, fields, sortKey);
    }
    Database db;
    Selection selection;
};

// A path, its directory part, and whether it is absolute, as the system
// reads paths.
struct PathCase {
    const char* path;
    const char* directory;
    bool absolute;
};

inline void checkPaths(std::initializer_list<PathCase> cases) {
    for (const PathCase& c : cases) {
        EXPECT_EQ(io::directoryOf(c.path), c.directory) << c.path;
        EXPECT_EQ(io::isAbsolutePath(c.path), c.absolute) << c.path;
    }
}

}  // namespace recdb::testing
