// import on arbitrary bytes, read as CSV or TSV, with the columns chosen by
// their default names or by --map and with or without
// --ignore-other-columns, all by the first byte: it may not fail, what it
// writes holds exactly the rows it read, and exporting that and importing it
// again gives the same bytes.
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/row_record.hpp"
#include "exchange/table_reader.hpp"
#include "file_tool/command_line.hpp"
#include "file_tool/export_file.hpp"
#include "file_tool/import_file.hpp"
#include "fuzz_support.hpp"
#include "io/input_file.hpp"
#include "io/system_calls.hpp"
#include "store/record_reader.hpp"

namespace {

class NoSync final : public recdb::io::SystemCalls {
    int fsync(int) override { return 0; }
};
NoSync noSync;
const recdb::io::SystemCallsOverride withoutSync(noSync);

struct Row {
    std::string name;
    std::int32_t group;
    std::int32_t num;
    std::int32_t den;
    std::optional<std::string> info;
    bool operator==(const Row&) const = default;
};

Row rowOf(const recdb::RecordView& record) {
    return {std::string(record.name), record.group, record.ratingNum, record.ratingDen,
            record.info ? std::optional<std::string>(*record.info) : std::nullopt};
}

std::vector<Row> rowsOfText(const std::string& path, recdb::TableFormat format,
                            const recdb::ColumnChoice& choice = {}) {
    recdb::io::InputFile file;
    std::vector<Row> rows;
    if (!file.open(path)) {
        std::abort();
    }
    recdb::TableReader reader(file, format, recdb::MostImportColumns);
    recdb::ColumnLayout layout;
    if (reader.next() != recdb::RowRead::Row || recdb::readHeader(reader.fields(), choice, format, layout)) {
        std::abort();
    }
    reader.setMaxFields(std::max(layout.count, recdb::TableReader::DefaultMaxFields));
    recdb::RecordView record;
    while (reader.next() == recdb::RowRead::Row) {
        if (recdb::readRow(reader.fields(), layout, record)) {
            std::abort();
        }
        rows.push_back(rowOf(record));
    }
    return rows;
}

std::vector<Row> rowsOfDatabase(const std::string& path) {
    recdb::io::InputFile file;
    std::vector<Row> rows;
    if (!file.open(path)) {
        std::abort();
    }
    recdb::RecordReader reader(file);
    while (reader.next() == recdb::RecordRead::Complete) {
        rows.push_back(rowOf(reader.record()));
    }
    return rows;
}

// The choice of columns that the first byte's bits 1 to 3 ask for: the
// fields' own names or the short names a, b, c and d (each field by itself
// or all four), and whether other columns are passed over.
recdb::ColumnChoice choiceOf(std::uint8_t bits) {
    recdb::ColumnChoice choice;
    std::vector<std::string> maps;
    switch ((bits >> 1) & 3) {
    case 1:
        maps = {"name=a", "group=b", "rating=c", "info=d"};
        break;
    case 2:
        maps = {"rating=c"};
        break;
    case 3:
        maps = {"info=d"};
        break;
    default:
        break;
    }
    if (recdb::readColumnMaps(maps, choice)) {
        std::abort();
    }
    choice.ignoreOthers = (bits & 8) != 0;
    return choice;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    recdb::fuzzing::enterScratchDirectory("import");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool tsv = (data[0] & 1) != 0;
    const auto table = tsv ? recdb::TableFormat::Tsv : recdb::TableFormat::Csv;
    const auto format = tsv ? recdb::ExportFormat::Tsv : recdb::ExportFormat::Csv;
    recdb::fuzzing::writeFile("input.txt", data + 1, size - 1);
    std::ostringstream err;
    std::remove("imported.db");
    const recdb::ColumnChoice choice = choiceOf(data[0]);
    recdb::ToolMessages messages(err);
    const int imported =
        recdb::importFile(recdb::ImportRequest("input.txt", "imported.db", table, choice), messages).status;
    if (imported == 2) {
        std::fprintf(stderr, "import failed: %s\n", err.str().c_str());
        std::abort();
    }
    if (imported != 0) {
        return 0;
    }
    const std::vector<Row> rows = rowsOfText("input.txt", table, choice);
    if (rowsOfDatabase("imported.db") != rows) {
        std::fprintf(stderr, "the database does not hold the rows read\n");
        std::abort();
    }
    if (recdb::exportFile(recdb::ExportRequest("imported.db", "exported.txt", format), messages).status != 0 ||
        rowsOfText("exported.txt", table) != rows ||
        recdb::importFile(recdb::ImportRequest("exported.txt", "again.db", table), messages).status != 0 ||
        readFile("again.db") != readFile("imported.db")) {
        std::fprintf(stderr, "the rows did not come back the same: %s\n", err.str().c_str());
        std::abort();
    }
    return 0;
}
