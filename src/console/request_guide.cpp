#include "console/request_guide.hpp"

#include <algorithm>
#include <array>
#include <cstddef>

namespace recdb {

namespace {

constexpr std::string_view RecordWords[] = {"name=", "group=", "rating=", "info=", "end"};
constexpr std::string_view NameWords[] = {"name=", "end"};
constexpr std::string_view ConditionWords[] = {"name=", "group=", "rating=", "end"};
constexpr std::string_view FieldWords[] = {"name", "group", "rating", "info", "sort"};
constexpr std::string_view ReportWords[] = {"name", "group", "rating", "info", "sort", "end"};
constexpr std::string_view ReportFormWords[] = {"HTML"};

constexpr std::string_view ConditionDetails =
    "  name=Alder is one exact name, name=Al* a pattern (* is any run of characters).\n"
    "  group=3 is one group, group=2-4 the groups 2 to 4. A * in a range reads as 0:\n"
    "  group=3-* selects nothing and group=*-5 is 0 to 5; group=* sets no condition.\n"
    "  rating=1.2 is one rating, rating=1.2-3.4 a range, rating=1.2-* no upper limit;\n"
    "  rating=*-2.1 and rating=-2.1 set no rating condition at all.\n"
    "  A rating A.B is the fraction A/B: 1.2 equals 2.4, 1.10 is below 1.9, 4.05 is 4.5.\n";

const std::array<RequestGuide, 9> Guides{{
    {RequestType::DBload,
     "DBload FILE",
     "replace the whole database with the records of a file",
     "  A load that fails leaves the database empty.\n",
     "\":: The DataBase is loaded successfully.\"",
     "DBload trees.db",
     {},
     FileWord::First,
     {}},
    {RequestType::DBstore,
     "DBstore FILE",
     "write the whole database into a file",
     "  An existing FILE is replaced only once the new one is complete.\n",
     "\":: The DataBase is stored successfully.\"",
     "DBstore trees.db",
     {},
     FileWord::First,
     {}},
    {RequestType::Insert,
     "insert name=N group=G rating=A.B info=TEXT",
     "add a record, replacing one of the same name",
     "  No value can hold a space; without info= the record has no info.\n"
     "  A rating A.B is the fraction A/B: 1.2 equals 2.4, 1.10 is below 1.9, 4.05 is 4.5.\n"
     "  Where several records share the name, one of them is replaced.\n",
     "\":: New Data is inserted successfully.\", after\n"
     "  \":: The data with this name is removed.\" when it replaced a record",
     "insert name=Alder group=3 rating=4.5 info=tall",
     RecordWords,
     FileWord::None,
     {}},
    {RequestType::Remove,
     "remove name=N",
     "remove the record of a name",
     "  Where several records share the name, one of them goes (the one select name=N finds).\n",
     "\":: The data with this name is removed.\"",
     "remove name=Alder",
     NameWords,
     FileWord::None,
     {}},
    {RequestType::Select,
     "select [name=N] [group=G] [rating=R]",
     "select the records that meet every condition",
     ConditionDetails,
     "\":: The Selecting is done successfully.\"",
     "select group=2-4 rating=1.2-*",
     ConditionWords,
     FileWord::None,
     {}},
    {RequestType::Reselect,
     "reselect [name=N] [group=G] [rating=R]",
     "keep the selected records that also meet these conditions",
     ConditionDetails,
     "\":: The ReSelecting is done successfully.\"",
     "reselect name=B*",
     ConditionWords,
     FileWord::None,
     {}},
    {RequestType::Print,
     "print [FIELD...] [sort FIELD]",
     "list the selection, one line a record",
     "  The fields are name, group, rating and info, always shown in that order.\n"
     "  sort name wins over sort group (group, then name), which wins over sort rating.\n",
     "one line \" > ...\" a record, then \":: The Printing is done successfully.\"",
     "print name rating sort rating",
     FieldWords,
     FileWord::None,
     {}},
    {RequestType::FilePrint, "fileprint FIELD... [sort FIELD] end FILE [HTML]",
     "write the selection into a file, as text or as an HTML page",
     "  The fields and sorting are those of print; the word end comes before FILE.\n",
     "\":: The Printing in file is done successfully.\"", "fileprint name group end trees.html HTML", ReportWords,
     FileWord::AfterEnd, ReportFormWords},
    {RequestType::Exit,
     "exit",
     "end recdb; the database is not stored",
     "  Ctrl-D on an empty line does the same.\n",
     "\":: Good bye!\"",
     "exit",
     {},
     FileWord::None,
     {}},
}};

// Words that people type for a request.
struct CommonWord {
    std::string_view word;
    std::string_view meant;
};

constexpr CommonWord CommonWords[] = {
    {"quit", "exit"},     {"q", "exit"},      {"bye", "exit"},      {"logout", "exit"},  {"?", "help"},
    {"man", "help"},      {"load", "DBload"}, {"open", "DBload"},   {"save", "DBstore"}, {"store", "DBstore"},
    {"write", "DBstore"}, {"add", "insert"},  {"delete", "remove"}, {"del", "remove"},   {"rm", "remove"},
    {"find", "select"},   {"list", "print"},  {"show", "print"},
};

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The longest keyword, and the edits at most that make a slip.
constexpr std::size_t LongestWord = 9;
constexpr std::size_t MostSlips = 2;

// The number of single-character insertions, deletions, changes and swaps
// of neighbours that turn one word into the other, letter case aside
// (optimal string alignment). Both words are at most LongestWord + MostSlips
// long.
std::size_t slips(std::string_view a, std::string_view b) {
    constexpr std::size_t Size = LongestWord + MostSlips + 1;
    std::array<std::array<std::size_t, Size>, Size> cost{};
    for (std::size_t i = 0; i <= a.size(); ++i) {
        cost[i][0] = i;
    }
    for (std::size_t j = 0; j <= b.size(); ++j) {
        cost[0][j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1;
            cost[i][j] = std::min({cost[i - 1][j] + 1, cost[i][j - 1] + 1, cost[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) && folded(a[i - 2]) == folded(b[j - 1])) {
                cost[i][j] = std::min(cost[i][j], cost[i - 2][j - 2] + 1);
            }
        }
    }
    return cost[a.size()][b.size()];
}

}  // namespace

bool sameFolded(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return folded(x) == folded(y); });
}

std::span<const std::string_view> knownWords() {
    static const std::array<std::string_view, Guides.size() + 1> words = [] {
        std::array<std::string_view, Guides.size() + 1> made{};
        for (std::size_t k = 0; k < Guides.size(); ++k) {
            made[k] = keywordOf(Guides[k].type);
        }
        made.back() = HelpWord;
        return made;
    }();
    return words;
}

std::span<const RequestGuide> requestGuides() { return Guides; }

const RequestGuide* guideFor(std::string_view keyword) {
    for (const RequestGuide& guide : Guides) {
        if (keywordOf(guide.type) == keyword) {
            return &guide;
        }
    }
    return nullptr;
}

std::optional<std::string_view> nearestWord(std::string_view word) {
    const std::span<const std::string_view> known = knownWords();
    for (const std::string_view candidate : known) {
        if (sameFolded(word, candidate)) {
            return candidate;
        }
    }
    for (const CommonWord& common : CommonWords) {
        if (sameFolded(word, common.word)) {
            return common.meant;
        }
    }
    std::optional<std::string_view> started;
    std::size_t starting = 0;
    for (const std::string_view candidate : known) {
        if (word.size() >= 2 && word.size() < candidate.size() && sameFolded(word, candidate.substr(0, word.size()))) {
            started = candidate;
            ++starting;
        }
    }
    if (starting == 1) {
        return started;
    }
    if (word.size() > LongestWord + MostSlips) {
        return std::nullopt;
    }
    std::optional<std::string_view> nearest;
    std::size_t fewest = MostSlips + 1;
    for (const std::string_view candidate : known) {
        const std::size_t allowed = candidate.size() <= 4 ? 1 : MostSlips;
        const std::size_t count = slips(word, candidate);
        if (count <= allowed && count < fewest) {
            nearest = candidate;
            fewest = count;
        }
    }
    return nearest;
}

}  // namespace recdb
