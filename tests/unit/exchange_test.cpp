#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "exchange/csv_writer.hpp"
#include "exchange/jsonl_writer.hpp"
#include "exchange/number.hpp"
#include "exchange/row_record.hpp"
#include "exchange/table_reader.hpp"
#include "exchange/tsv_writer.hpp"
#include "io/input_file.hpp"
#include "io/system_calls.hpp"

namespace recdb {
namespace {

// A file of the test's own, for writers to write to and readers to read.
class ScratchFile {
public:
    ScratchFile() {
        static int made = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("recdb-exchange-" + std::to_string(::getpid()) + "-" + std::to_string(++made));
    }
    ~ScratchFile() { std::filesystem::remove(path_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    std::string path() const { return path_.string(); }
    std::string write(const std::function<void(io::OutputFile&)>& fill) const {
        const int fd = io::systemCalls().open(path().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        {
            io::OutputFile out(fd);
            fill(out);
            EXPECT_TRUE(out.flush());
        }
        EXPECT_EQ(io::systemCalls().close(fd), 0);
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path path_;
};

RecordView view(std::string_view name, std::int32_t group, std::int32_t num, std::int32_t den,
                std::optional<std::string_view> info) {
    return {name, group, num, den, info};
}

struct WriterCase {
    RecordView record;
    std::string csv;
    std::string tsv;
    std::string json;
};

TEST(ExchangeWriters, EachCaseInEveryForm) {
    const std::vector<WriterCase> cases = {
        {view("abc", 7, 3, 4, std::nullopt), "abc,7,3.4,\n", "abc\t7\t3.4\t\\N\n",
         R"({"name":"abc","group":7,"rating":"3.4","info":null})"},
        {view("a", 0, 0, 0, ""), "a,0,0.0,\"\"\n", "a\t0\t0.0\t\n",
         R"({"name":"a","group":0,"rating":"0.0","info":""})"},
        {view("x,y", -2147483647 - 1, -1, -2, "say \"hi\""), "\"x,y\",-2147483648,-1.-2,\"say \"\"hi\"\"\"\n",
         "x,y\t-2147483648\t-1.-2\tsay \"hi\"\n",
         R"({"name":"x,y","group":-2147483648,"rating":"-1.-2","info":"say \"hi\""})"},
        {view(" lead", 2147483647, 5, 0, "trail "), "\" lead\",2147483647,5.0,\"trail \"\n",
         " lead\t2147483647\t5.0\ttrail \n", R"({"name":" lead","group":2147483647,"rating":"5.0","info":"trail "})"},
        {view("in side", 1, 1, 1, "a\tb\\c"), "in side,1,1.1,a\tb\\c\n", "in side\t1\t1.1\ta\\tb\\\\c\n",
         R"({"name":"in side","group":1,"rating":"1.1","info":"a\tb\\c"})"},
        {view("cr\rlf\n", 1, 1, 1, "\r\n"), "\"cr\rlf\n\",1,1.1,\"\r\n\"\n", "cr\\rlf\\n\t1\t1.1\t\\r\\n\n",
         R"({"name":"cr\rlf\n","group":1,"rating":"1.1","info":"\r\n"})"},
        {view("\\N", 1, 1, 1, "\x01\x7f"), "\\N,1,1.1,\x01\x7f\n", "\\\\N\t1\t1.1\t\x01\x7f\n",
         "{\"name\":\"\\\\N\",\"group\":1,\"rating\":\"1.1\",\"info\":\"\\u0001\x7f\"}"},
        {view("\xC3\xA9t\xC3\xA9", 1, 1, 1, "\xE2\x82\xAC"), "\xC3\xA9t\xC3\xA9,1,1.1,\xE2\x82\xAC\n",
         "\xC3\xA9t\xC3\xA9\t1\t1.1\t\xE2\x82\xAC\n",
         "{\"name\":\"\xC3\xA9t\xC3\xA9\",\"group\":1,\"rating\":\"1.1\",\"info\":\"\xE2\x82\xAC\"}"},
    };
    for (const WriterCase& c : cases) {
        SCOPED_TRACE(c.csv);
        ScratchFile csv;
        ScratchFile tsv;
        ScratchFile json;
        EXPECT_EQ(csv.write([&](io::OutputFile& out) { CsvWriter(out).writeRecord(c.record); }), c.csv);
        EXPECT_EQ(tsv.write([&](io::OutputFile& out) { TsvWriter(out).writeRecord(c.record); }), c.tsv);
        EXPECT_EQ(json.write([&](io::OutputFile& out) { JsonlWriter(out).writeRecord(c.record); }), c.json + "\n");
    }
}

TEST(ExchangeWriters, JsonReplacesEachBadSequenceOnceAndCountsIt) {
    const std::string replacement = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::pair<std::string, int>>> cases = {
        {"\xC3\xA9", {"\xC3\xA9", 0}},
        {"a\xFF"
         "b",
         {"a" + replacement + "b", 1}},
        {"\xC3", {replacement, 1}},      // cut short at the end
        {"\xE2\x82", {replacement, 1}},  // a maximal subpart is one replacement
        {"\xE2\x82"
         "A",
         {replacement + "A", 1}},
        {"\xC0\xAF", {replacement + replacement, 2}},                                      // overlong
        {"\xED\xA0\x80", {replacement + replacement + replacement, 3}},                    // surrogate
        {"\xF4\x90\x80\x80", {replacement + replacement + replacement + replacement, 4}},  // above U+10FFFF
        {"\xF0\x9F\x98\x80", {"\xF0\x9F\x98\x80", 0}},
    };
    for (const auto& [text, expected] : cases) {
        ScratchFile file;
        std::uint64_t replaced = 0;
        const std::string written = file.write([&](io::OutputFile& out) {
            JsonlWriter writer(out);
            writer.writeRecord(view("n", 0, 0, 0, text));
            replaced = writer.replacements();
        });
        EXPECT_EQ(written, R"({"name":"n","group":0,"rating":"0.0","info":")" + expected.first + "\"}\n") << text;
        EXPECT_EQ(replaced, static_cast<std::uint64_t>(expected.second)) << text;
    }
}

TEST(ExchangeNumbers, OnlyWholeDecimalNumbersOf32Bits) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> numbers = {
        {"0", 0},
        {"12", 12},
        {"-7", -7},
        {"+7", 7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", {}},
        {"99999999999", {}},
        {"", {}},
        {"12x", {}},
        {"1e3", {}},
        {" 1", {}},
        {"1 ", {}},
        {"+", {}},
        {"-", {}},
        {"+-1", {}},
        {"--1", {}},
        {"0x10", {}},
        {"1.0", {}},
    };
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(readWholeNumber(text), value) << text;
    }
    const std::vector<std::pair<std::string, std::optional<std::pair<int, int>>>> ratings = {
        {"3.4", std::pair(3, 4)},
        {"4.05", std::pair(4, 5)},
        {"-1.-2", std::pair(-1, -2)},
        {"0.0", std::pair(0, 0)},
        {"3", {}},
        {"3.", {}},
        {".4", {}},
        {"1.2.3", {}},
        {"1,2", {}},
        {"1.2x", {}},
    };
    for (const auto& [text, pair] : ratings) {
        const auto rating = readRating(text);
        ASSERT_EQ(rating.has_value(), pair.has_value()) << text;
        if (rating) {
            EXPECT_EQ(std::pair(rating->num, rating->den), *pair) << text;
        }
    }
}

// Reads every row of a text: each row as its fields joined by "|", with
// "<none>" for a field without value, or a refusal as "!line:column reason"
// ("!line/physical line:column reason" where the problem lies on a later
// line than the row's first).
std::vector<std::string> readRows(const std::string& text, TableFormat format, std::uint64_t* emptyLines = nullptr,
                                  std::uint64_t* firstEmptyLine = nullptr) {
    ScratchFile file;
    file.write([&](io::OutputFile& out) { out.write(text); });
    io::InputFile input;
    EXPECT_TRUE(input.open(file.path()));
    TableReader reader(input, format);
    std::vector<std::string> rows;
    for (RowRead read; (read = reader.next()) != RowRead::End;) {
        if (read == RowRead::Refused) {
            // Built by appending: "!" + to_string meets a false -Wrestrict
            // warning of GCC 12.
            std::string refused = "!";
            refused.append(std::to_string(reader.refusal().line));
            if (reader.refusal().physicalLine != reader.refusal().line) {
                refused.append("/").append(std::to_string(reader.refusal().physicalLine));
            }
            refused.append(":");
            refused.append(std::to_string(reader.refusal().column)).append(" ").append(reader.refusal().reason);
            rows.push_back(refused);
            continue;
        }
        std::string row = std::to_string(reader.line()) + ":";
        for (const TableField& field : reader.fields()) {
            row += (field.absent ? "<none>" : field.text) + "|";
        }
        rows.push_back(row);
    }
    if (emptyLines != nullptr) {
        *emptyLines = reader.emptyLines();
        *firstEmptyLine = reader.firstEmptyLine();
    }
    return rows;
}

struct ReaderCase {
    std::string text;
    std::vector<std::string> rows;
};

TEST(ExchangeReaders, CsvQuotingLineEndsAndRefusals) {
    const std::vector<ReaderCase> cases = {
        {"a,b\n", {"1:a|b|"}},
        {"a,b", {"1:a|b|"}},
        {"a,b\r\nc,d\r\n", {"1:a|b|", "2:c|d|"}},
        {"\xEF\xBB\xBF"
         "a,b\n",
         {"1:a|b|"}},
        {"a,,\"\"\n",
         {"1:a|<none>|"
          "|"}},
        {"\"a\",\"1\",\"2.3\"\n", {"1:a|1|2.3|"}},
        {"\"x,y\",\"say \"\"hi\"\"\"\n", {"1:x,y|say \"hi\"|"}},
        {"\"two\nlines\",b\nc,d\n", {"1:two\nlines|b|", "3:c|d|"}},
        {"\"cr\r\nin\",b\n", {"1:cr\r\nin|b|"}},
        {"\"\"\"\",b\n", {"1:\"|b|"}},
        {"a,b,c,d,e\nf\n", {"!1:5 more than 4 fields", "2:f|"}},
        {"ab\"c,d\nok\n", {"!1:1 a quote inside a field that does not begin with one", "2:ok|"}},
        {"\"ab\"c,d\nok\n", {"!1:1 text after the closing quote of a field", "2:ok|"}},
        {"a,b\rc\nok\n", {"!1:2 a carriage return without a line feed outside quotes", "2:ok|"}},
        {"a,\"open\nstill", {"!1:2 a quoted field is not closed at the end of the input"}},
        {"a,\"b\nc\",\"d\ne\"x\nok\n", {"!1/3:3 text after the closing quote of a field", "4:ok|"}},
        {"a,b\n\"x\ny\nz\n", {"1:a|b|", "!2:1 a quoted field is not closed at the end of the input"}},
        {"a,\"b\nc\",\"\nd", {"!1/2:3 a quoted field is not closed at the end of the input"}},
        {"a\r", {"!1:1 a carriage return ends the input without a line feed"}},
        {"\xFF\x80,\x01\n", {"1:\xFF\x80|\x01|"}},
    };
    for (const ReaderCase& c : cases) {
        EXPECT_EQ(readRows(c.text, TableFormat::Csv), c.rows) << c.text;
    }
}

TEST(ExchangeReaders, TsvEscapesLineEndsAndRefusals) {
    const std::vector<ReaderCase> cases = {
        {"a\tb\n", {"1:a|b|"}},
        {"a\tb\r\nc\td", {"1:a|b|", "2:c|d|"}},
        {"\xEF\xBB\xBF"
         "a\n",
         {"1:a|"}},
        {"a\\tb\\nc\\rd\\\\e\t\\N\t\n", {"1:a\tb\nc\rd\\e|<none>||"}},
        {"\\\\N\n", {"1:\\N|"}},
        {"a,\"b\"\n", {"1:a,\"b\"|"}},
        {"a\\x\tb\nok\n", {"!1:1 an unknown escape \"\\\\x\"", "2:ok|"}},
        {"a\\\nok\n", {"!1:1 an unknown escape \"\\\\\\x0A\"", "2:ok|"}},
        {"x\\N\nok\n", {"!1:1 \\N stands for no value only as a whole field", "2:ok|"}},
        {"\\Nx\tb\nok\n", {"!1:1 \\N stands for no value only as a whole field", "2:ok|"}},
        {"a\rb\nok\n", {"!1:1 a carriage return without a line feed (write it as \\r)", "2:ok|"}},
        {"a\\", {"!1:1 a backslash ends the input"}},
        {"1\t2\t3\t4\t5\n", {"!1:5 more than 4 fields"}},
    };
    for (const ReaderCase& c : cases) {
        EXPECT_EQ(readRows(c.text, TableFormat::Tsv), c.rows) << c.text;
    }
}

TEST(ExchangeReaders, FieldsLongerThanTheInputBuffer) {
    const std::string longInfo(3 << 20, 'x');
    EXPECT_EQ(readRows("a,\"" + longInfo + "\"\nb,c\n", TableFormat::Csv),
              (std::vector<std::string>{"1:a|" + longInfo + "|", "2:b|c|"}));
    EXPECT_EQ(readRows("a\t" + longInfo + "\\t\n", TableFormat::Tsv),
              (std::vector<std::string>{"1:a|" + longInfo + "\t|"}));
}

TEST(ExchangeReaders, EmptyLinesArePassedOverAndCounted) {
    struct Case {
        std::string text;
        TableFormat format;
        std::vector<std::string> rows;
        std::uint64_t emptyLines;
        std::uint64_t firstEmptyLine;
    };
    const std::vector<Case> cases = {
        {"a,b\n\nc,d\n", TableFormat::Csv, {"1:a|b|", "3:c|d|"}, 1, 2},
        {"\r\na,b\r\n\r\n", TableFormat::Csv, {"2:a|b|"}, 2, 1},
        {"\n", TableFormat::Csv, {}, 1, 1},
        {"a\n\n\n", TableFormat::Tsv, {"1:a|"}, 2, 2},
        {"\"\"\n", TableFormat::Csv, {"1:|"}, 0, 0},
        {"\\N\n", TableFormat::Tsv, {"1:<none>|"}, 0, 0},
        {"a,\"x\n\ny\"\n\nb\n", TableFormat::Csv, {"1:a|x\n\ny|", "5:b|"}, 1, 4},
        {"a\rb\n\nc\n",
         TableFormat::Tsv,
         {"!1:1 a carriage return without a line feed (write it as \\r)", "3:c|"},
         1,
         2},
    };
    for (const Case& c : cases) {
        std::uint64_t emptyLines = 0;
        std::uint64_t firstEmptyLine = 0;
        EXPECT_EQ(readRows(c.text, c.format, &emptyLines, &firstEmptyLine), c.rows) << c.text;
        EXPECT_EQ(emptyLines, c.emptyLines) << c.text;
        EXPECT_EQ(firstEmptyLine, c.firstEmptyLine) << c.text;
    }
}

std::vector<TableField> fields(std::initializer_list<std::optional<std::string>> values) {
    std::vector<TableField> row;
    for (const auto& value : values) {
        row.push_back({value.value_or(""), !value, 1});
    }
    return row;
}

// A header read with the default choice of columns, or with choice.
std::optional<FieldProblem> header(std::initializer_list<std::optional<std::string>> names, ColumnLayout& layout,
                                   const ColumnChoice& choice = {}, TableFormat format = TableFormat::Csv) {
    return readHeader(fields(names), choice, format, layout);
}

TEST(ExchangeRows, HeadersFindTheirColumnsByName) {
    ColumnChoice airports;
    airports.headers = {"iata", "country", "score", "info"};
    airports.ignoreOthers = true;
    ColumnChoice mappedInfo;
    mappedInfo.headers[3] = "notes";
    mappedInfo.infoAskedFor = true;
    struct Case {
        std::vector<std::optional<std::string>> names;
        ColumnChoice choice;
        TableFormat format;
        std::array<std::optional<std::size_t>, 4> places;  // when accepted
        std::optional<std::size_t> problemColumn;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{"name", "group", "rating", "info"}, {}, TableFormat::Csv, {0, 1, 2, 3}, {}, ""},
        {{"name", "group", "rating"}, {}, TableFormat::Csv, {0, 1, 2, std::nullopt}, {}, ""},
        {{"info", "rating", "name", "group"}, {}, TableFormat::Csv, {2, 3, 1, 0}, {}, ""},
        {{"iata", "name", "country", "x", "score"}, airports, TableFormat::Csv, {0, 2, 4, std::nullopt}, {}, ""},
        {{"name", "group", "rating", "notes"}, mappedInfo, TableFormat::Csv, {0, 1, 2, 3}, {}, ""},
        {{"name", "grp", "rating"},
         {},
         TableFormat::Csv,
         {},
         0,
         "the header has no column \"group\"; --map group=COLUMN takes the group from another column"},
        {{"name", "group", "rating"},
         mappedInfo,
         TableFormat::Csv,
         {},
         0,
         "the header has no column \"notes\" (--map info=notes)"},
        {{"name", "group", "rating", "name"},
         {},
         TableFormat::Csv,
         {},
         4,
         "the header names the column \"name\" twice"},
        {{"name", "group", "rating", "info", "city"},
         {},
         TableFormat::Csv,
         {},
         5,
         "the header has \"city\", which no field takes (--ignore-other-columns passes over such columns)"},
        {{"name", "group", "rating", std::nullopt},
         {},
         TableFormat::Csv,
         {},
         4,
         "the header has an empty column, which no field takes (--ignore-other-columns passes over such columns)"},
        {{"name\tgroup\trating\tinfo"},
         {},
         TableFormat::Csv,
         {},
         0,
         "the header has no column \"name\"; --map name=COLUMN takes the name from another column; it holds tabs: "
         "for TSV give --format tsv"},
        {{"name,group,rating,info"},
         {},
         TableFormat::Tsv,
         {},
         0,
         "the header has no column \"name\"; --map name=COLUMN takes the name from another column; it holds "
         "commas: for CSV give --format csv"},
    };
    for (const Case& c : cases) {
        std::vector<TableField> row;
        for (const auto& name : c.names) {
            row.push_back({name.value_or(""), !name, 1});
        }
        ColumnLayout layout;
        const auto problem = readHeader(row, c.choice, c.format, layout);
        ASSERT_EQ(problem.has_value(), c.problemColumn.has_value()) << (problem ? problem->reason : row[0].text);
        if (problem) {
            EXPECT_EQ(problem->column, *c.problemColumn);
            EXPECT_EQ(problem->reason, c.reason);
            continue;
        }
        EXPECT_EQ(layout.places, c.places) << row[0].text;
        EXPECT_EQ(layout.count, row.size());
    }
}

TEST(ExchangeRows, RowsAreReadStrictly) {
    ColumnLayout layout;
    ASSERT_FALSE(header({"name", "group", "rating", "info"}, layout));
    const std::string longName(64, 'n');
    const std::vector<std::tuple<std::vector<TableField>, std::size_t, std::string>> refused = {
        {fields({"a", "1", "2.3"}), 4, "the row has 3 fields where the header has 4"},
        {fields({std::nullopt, "1", "2.3", "i"}), 1, "the name is empty"},
        {fields({"", "1", "2.3", "i"}), 1, "the name is empty"},
        {fields({longName, "1", "2.3", "i"}), 1, "the name has 64 bytes, more than 63"},
        {fields({std::string("a\0b", 3), "1", "2.3", "i"}), 1, "the name holds a zero byte"},
        {fields({"a", "12x", "2.3", "i"}), 2, "the group \"12x\" is not a whole number of 32 bits"},
        {fields({"a", std::nullopt, "2.3", "i"}), 2, "the group is empty"},
        {fields({"a", "", "2.3", "i"}), 2, "the group is empty"},
        {fields({"a", "1", "2", "i"}), 3, "the rating \"2\" is not two whole numbers of 32 bits joined by a point"},
        {fields({"a", "1", std::nullopt, "i"}), 3, "the rating is empty"},
        {fields({"a", "1", "99999999999.1", "i"}), 3,
         "the rating \"99999999999.1\" is not two whole numbers of 32 bits joined by a point"},
        {fields({"a", "1", "2.3", std::string("i\0", 2)}), 4, "the info holds a zero byte"},
    };
    RecordView record;
    for (const auto& [row, column, reason] : refused) {
        const auto problem = readRow(row, layout, record);
        ASSERT_TRUE(problem) << row[0].text;
        EXPECT_EQ(problem->column, column) << problem->reason;
        EXPECT_EQ(problem->reason, reason);
    }
    const auto accepted = fields({longName.substr(1), "-5", "+1.-0", std::nullopt});
    ASSERT_FALSE(readRow(accepted, layout, record));
    EXPECT_EQ(record.name, longName.substr(1));
    EXPECT_EQ(record.group, -5);
    EXPECT_EQ(record.ratingNum, 1);
    EXPECT_EQ(record.ratingDen, 0);
    EXPECT_FALSE(record.info);
    ASSERT_FALSE(readRow(fields({"a", "1", "2.3", ""}), layout, record));
    EXPECT_EQ(record.info, "");

    ColumnLayout noInfo;
    ASSERT_FALSE(header({"name", "group", "rating"}, noInfo));
    ASSERT_FALSE(readRow(fields({"a", "1", "2.3"}), noInfo, record));
    EXPECT_FALSE(record.info);

    // Columns in another order, one of them passed over: each field comes
    // from its own column, and a problem names that column.
    ColumnChoice others;
    others.ignoreOthers = true;
    ColumnLayout shuffled;
    ASSERT_FALSE(header({"extra", "rating", "info", "group", "name"}, shuffled, others));
    const auto row = fields({"zzz", "4.5", "i", "7", "b"});
    ASSERT_FALSE(readRow(row, shuffled, record));
    EXPECT_EQ(record.name, "b");
    EXPECT_EQ(record.group, 7);
    EXPECT_EQ(record.ratingNum, 4);
    EXPECT_EQ(record.info, "i");
    EXPECT_EQ(readRow(fields({"zzz", "4.5", "i", "x", "b"}), shuffled, record)->column, 4U);
    EXPECT_EQ(shuffled.fieldAt(4), TableColumn::Group);
    EXPECT_FALSE(shuffled.fieldAt(1));
}

}  // namespace
}  // namespace recdb
