// The parts of the io layer that differ between systems, tried on every
// system: UTF-8 and UTF-16 (Windows names and consoles), text line ends, and
// reading past 4 GiB.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../line_ends.hpp"
#include "io/descriptor.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "io/system_calls.hpp"
#include "io/utf8.hpp"

namespace recdb::io {
namespace {

namespace fs = std::filesystem;
using testing::withLineEnds;

struct Utf8Case {
    const char* label;
    std::string utf8;
    bool valid;
    std::u16string utf16;
};

TEST(Utf8, StrictConversionToUtf16) {
    const Utf8Case cases[] = {
        {"ASCII", "report.txt", true, u"report.txt"},
        {"two bytes",
         "Gr\xC3\xBC\xC3\x9F"
         "e.db",
         true, u"Gr\u00FC\u00DFe.db"},
        {"three bytes", "\xE2\x82\xAC", true, u"\u20AC"},
        {"four bytes, a surrogate pair", "\xF0\x9D\x84\x9E", true, u"\U0001D11E"},
        {"highest code point", "\xF4\x8F\xBF\xBF", true, u"\U0010FFFF"},
        {"empty", "", true, u""},
        {"overlong slash", "\xC0\xAF", false, u""},
        {"overlong three bytes", "\xE0\x80\xAF", false, u""},
        {"encoded surrogate", "\xED\xA0\x80", false, u""},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false, u""},
        {"cut at the end", "ab\xE2\x82", false, u""},
        {"lone continuation byte",
         "a\x80"
         "b",
         false, u""},
        {"byte never in UTF-8", "\xFF", false, u""},
        {"Windows-1251 text", "\xD0\xE5\xE7", false, u""},
    };
    for (const Utf8Case& c : cases) {
        std::u16string converted = u"untouched";
        EXPECT_EQ(toUtf16(c.utf8, converted), c.valid) << c.label;
        EXPECT_EQ(converted, c.valid ? c.utf16 : u"untouched") << c.label;
        if (c.valid) {
            EXPECT_EQ(toUtf8(c.utf16), c.utf8) << c.label;
        }
    }
    // A surrogate without its pair, as Windows names may hold, shows as
    // U+FFFD.
    EXPECT_EQ(toUtf8(std::u16string(u"a") + char16_t{0xD834} + u"b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t{0xDD1E})), "\xEF\xBF\xBD");
}

TEST(Utf8, ShownTextReplacesBadBytesAndHoldsCutCharacters) {
    const struct {
        std::string bytes;
        std::size_t room;
        std::size_t taken;
        std::u16string shown;
    } cases[] = {
        {"a\xFF"
         "b",
         16, 3, u"a\uFFFDb"},
        {"\xC3\xA9t\xC3\xA9", 16, 5, u"\u00E9t\u00E9"},
        {"ab\xE2\x82", 16, 2, u"ab"},
        {"\xE2\x82"
         "x",
         16, 3, u"\uFFFD\uFFFDx"},
        {"\xF0\x9D\x84\x9E!", 16, 5, u"\U0001D11E!"},
        {"abcdef", 4, 4, u"abcd"},
        {"\xF0\x9D\x84\x9E!", 2, 4, u"\U0001D11E"},
        {"\xF0\x9D\x84\x9E!", 1, 0, u""},
    };
    for (const auto& c : cases) {
        char16_t out[16] = {};
        const ShownText shown = toShownUtf16(c.bytes, out, c.room);
        EXPECT_EQ(shown.bytes, c.taken) << c.bytes;
        EXPECT_EQ(std::u16string(out, shown.units), c.shown) << c.bytes;
    }
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = fs::temp_directory_path() / ("recdb-io-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { fs::remove(file_); }

    // Writes through a descriptor of a fresh file.
    template <typename Write>
    void writeThrough(Write write) {
        const int fd = systemCalls().open(file_.string().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        write(fd);
        EXPECT_EQ(systemCalls().close(fd), 0);
    }
    // Writes a fresh file so, then reads it back.
    template <typename Write>
    std::string written(Write write) {
        writeThrough(write);
        std::ifstream in(file_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path file_;
};

// Lines that cross the buffer that the line ends are written through.
std::string longText() {
    std::string text;
    for (int k = 0; text.size() < 70000; ++k) {
        text += std::string(static_cast<std::size_t>(k % 37), 'x') + (k % 5 == 0 ? "\n\n" : "\r\n");
    }
    return text;
}

TEST_F(FileTest, LineEndsAreWrittenAsAsked) {
    for (const std::string& text : {std::string(), std::string("a\nb"), std::string("\n\n"), longText()}) {
        for (const std::string_view lineEnd : {"\n", "\r\n"}) {
            EXPECT_EQ(written([&](int fd) { EXPECT_TRUE(writeLines(fd, text.data(), text.size(), lineEnd)); }),
                      withLineEnds(text, lineEnd))
                << text.size();
        }
    }
}

// Text gets the system's line ends, in the buffer and around it; binary
// content is written as it is.
TEST_F(FileTest, OutputFilesWriteTextWithTheSystemsLineEnds) {
    const std::string text = longText();
    for (const Content content : {Content::Binary, Content::Text}) {
        const std::string expected = content == Content::Text ? withLineEnds(text, TextLineEnd) : text;
        EXPECT_EQ(written([&](int fd) {
                      OutputFile out(fd, 4096, content);
                      out.write(text.substr(0, 100));
                      out.write(text.substr(100, 10000));
                      out.write(text.substr(10100));
                      EXPECT_TRUE(out.flush());
                  }),
                  expected);
    }
}

// A file of more than 4 GiB, all but its last record a hole: its size and
// its end need 64 bits. (Reading through the hole would take a minute on a
// virtual disk.) The file system
// keeps the hole sparse on Linux and under Wine; NTFS writes it out.
TEST_F(FileTest, SizesOfFilesLargerThanFourGiB) {
    constexpr std::int64_t Hole = (std::int64_t{5} << 30) + 3;
    const std::string record("\x01\0\0\0z\x07\0\0\0\x03\0\0\0\x04\0\0\0\xFF\xFF\xFF\xFF", 21);
    const auto size = static_cast<std::uint64_t>(Hole) + record.size();
    writeThrough([&](int fd) {
        ASSERT_EQ(systemCalls().lseek(fd, Hole, SEEK_SET), Hole);
        ASSERT_TRUE(writeAll(fd, record.data(), record.size()));
        EXPECT_EQ(systemCalls().lseek(fd, 0, SEEK_END), static_cast<std::int64_t>(size));
    });
    FileStatus status{};
    ASSERT_EQ(systemCalls().stat(file_.string().c_str(), &status), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(status.st_size), size);
    InputFile file;
    ASSERT_TRUE(file.open(file_.string()));
    EXPECT_EQ(file.size(), size);
    std::int32_t nameLength = -1;
    ASSERT_TRUE(file.readInt32(nameLength));
    EXPECT_EQ(nameLength, 0);
    EXPECT_EQ(file.position(), 4u);
}

}  // namespace
}  // namespace recdb::io
