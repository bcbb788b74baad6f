// The console's help for a person at a terminal: the request guides and the
// words they give the manual page, the hints, the notes on standard error,
// and the question before unstored changes are dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../line_ends.hpp"
#include "console/request_guide.hpp"
#include "console/request_loop.hpp"
#include "console/terminal_notes.hpp"

namespace recdb {
namespace {

TEST(RequestGuide, EveryRequestHasOneGuideThatItsExampleFollows) {
    std::size_t next = static_cast<std::size_t>(RequestType::DBload);
    for (const RequestGuide& guide : requestGuides()) {
        EXPECT_EQ(static_cast<std::size_t>(guide.type), next++) << guide.form;
        const std::string_view keyword = keywordOf(guide.type);
        EXPECT_EQ(guideFor(keyword), &guide) << keyword;
        EXPECT_TRUE(guide.form.starts_with(keyword)) << guide.form;
        EXPECT_EQ(parseRequestType(guide.example).type, guide.type) << guide.example;
        EXPECT_TRUE(guide.details.ends_with('\n')) << keyword;
    }
    EXPECT_EQ(next, static_cast<std::size_t>(RequestType::Exit) + 1);
    EXPECT_EQ(guideFor("Insert"), nullptr);
    EXPECT_EQ(guideFor("help"), nullptr);
}

TEST(RequestGuide, NearestWordCatchesSlipsButNotStrangers) {
    const std::pair<const char*, const char*> cases[] = {
        {"dbstore", "DBstore"},  {"DBSTORE", "DBstore"}, {"Print", "print"},
        {"selct", "select"},     {"slect", "select"},    {"DBlaod", "DBload"},
        {"exti", "exit"},        {"hlep", "help"},       {"fileprnt", "fileprint"},
        {"reselec", "reselect"}, {"quit", "exit"},       {"Quit", "exit"},
        {"?", "help"},           {"save", "DBstore"},    {"delete", "remove"},
        {"sel", "select"},       {"ins", "insert"},      {"re", nullptr},
        {"DB", nullptr},         {"e", nullptr},         {"xyzzy", nullptr},
        {"", nullptr},           {"exxxit", nullptr},    {"selectselectselect", nullptr},
    };
    for (const auto& [word, meant] : cases) {
        const std::optional<std::string_view> nearest = nearestWord(word);
        EXPECT_EQ(nearest.value_or("(none)"), meant != nullptr ? meant : "(none)") << word;
    }
}

// The manual page's text with the roff markup taken out of each line: a
// macro line's arguments joined (without spaces for the macros that
// alternate fonts), font changes dropped, \- and \(dq read.
std::vector<std::string> manualLines() {
    std::ifstream in(RECDB_SOURCE_DIR "/doc/recdb.1");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        std::string text;
        if (line.starts_with(".B ") || line.starts_with(".I ") || line.starts_with(".BI ") ||
            line.starts_with(".BR ") || line.starts_with(".RB ") || line.starts_with(".IR ") ||
            line.starts_with(".RI ")) {
            const bool spaced = line[2] == ' ';
            std::istringstream arguments(line.substr(line.find(' ') + 1));
            for (std::string argument; arguments >> std::ws && !arguments.eof();) {
                if (arguments.peek() == '"') {
                    arguments.get();
                    std::getline(arguments, argument, '"');
                } else {
                    arguments >> argument;
                }
                text += (spaced && !text.empty() ? " " : "") + argument;
            }
        } else {
            text = line;
        }
        std::string plain;
        for (std::size_t k = 0; k < text.size(); ++k) {
            if (text.compare(k, 2, "\\f") == 0) {
                k += 2;
            } else if (text.compare(k, 2, "\\-") == 0) {
                plain += '-';
                ++k;
            } else if (text.compare(k, 4, "\\(dq") == 0) {
                plain += '"';
                k += 3;
            } else {
                plain += text[k];
            }
        }
        lines.push_back(plain);
    }
    return lines;
}

// The manual page names the same requests, in the same words, as the help
// and the completion: each entry of its REQUESTS section is the form of one
// guide, in order, and every word that the completion offers is in it.
TEST(RequestGuide, TheManualPageNamesTheSameRequestsAndWords) {
    const std::vector<std::string> lines = manualLines();
    ASSERT_FALSE(lines.empty()) << "doc/recdb.1 not read";
    std::vector<std::string> entries;
    bool inRequests = false;
    for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
        if (lines[k].starts_with(".SH")) {
            inRequests = lines[k] == ".SH REQUESTS";
        } else if (inRequests && lines[k] == ".TP") {
            entries.push_back(lines[k + 1]);
        }
    }
    std::string text;
    for (const std::string& line : lines) {
        text += ' ' + line + ' ';
    }
    std::vector<std::string> forms;
    for (const RequestGuide& guide : requestGuides()) {
        forms.emplace_back(guide.form);
        for (const std::span<const std::string_view> words : {guide.arguments, guide.afterFile}) {
            for (const std::string_view word : words) {
                const bool inForm = guide.form.find(word) != std::string_view::npos;
                const bool named = text.find(' ' + std::string(word) + ' ') != std::string::npos;
                EXPECT_TRUE(word.ends_with('=') ? inForm : named) << keywordOf(guide.type) << ": " << word;
            }
        }
    }
    EXPECT_EQ(entries, forms);
}

// A screen that keeps what is written on it.
class KeptScreen final : public ProgressScreen {
public:
    Clock::time_point now() override { return {}; }
    std::size_t columns() override { return 80; }
    void write(std::string_view text) override { written += text; }

    std::string written;
};

TEST(TerminalNotes, SayWhyAFileRequestFailed) {
    struct NoteCase {
        const char* label;
        std::function<void(TerminalNotes&)> note;
        std::string text;
    };
    const NoteCase cases[] = {
        {"a load without a file name",
         [](TerminalNotes& n) {
             n.loadFailed("", {LoadOutcome::CannotRead, ENOENT});
         },
         "DBload needs a file name, as in \"DBload trees.db\".\n"},
        {"a file that is no database file",
         [](TerminalNotes& n) {
             n.loadFailed("x.csv", {LoadOutcome::BadNameLength, 0, 1, 0, 1701667182});
         },
         "x.csv: record 1 at byte 0: the name length is 1701667182, outside 0..63; \"recdb-file check x.csv\" "
         "tells more\n"},
        {"a load out of memory",
         [](TerminalNotes& n) {
             n.loadFailed("big.db", {LoadOutcome::OutOfMemory, ENOMEM});
         },
         "big.db: Cannot allocate memory\n"},
        {"an empty database", [](TerminalNotes& n) { n.storeFailed("t.db", {StoreOutcome::Empty}); },
         "The database is empty: nothing was written to t.db.\n"},
        {"a file-size limit",
         [](TerminalNotes& n) {
             n.storeFailed("t.db", {StoreOutcome::WriteFailed, EFBIG});
         },
         "t.db: File too large\n"},
        {"no permission",
         [](TerminalNotes& n) {
             n.storeFailed("t.db", {StoreOutcome::CannotOpen, EACCES});
         },
         "t.db: Permission denied\n"},
        {"a store without a file name",
         [](TerminalNotes& n) {
             n.storeFailed("", {StoreOutcome::CannotOpen, ENOENT});
         },
         "DBstore needs a file name, as in \"DBstore trees.db\".\n"},
        {"a report with nothing after end",
         [](TerminalNotes& n) {
             n.filePrintFailed("", {PrintOutcome::CannotOpen, ENOENT}, true);
         },
         "A file name must follow the word end, as in \"fileprint name group end trees.txt\".\n"},
        {"a hint", [](TerminalNotes& n) { n.hint("dbstore"); }, "Did you mean DBstore? Type help for the requests.\n"},
        {"no near word", [](TerminalNotes& n) { n.hint("?"); }, "Type help for the requests.\n"},
        {"no record", [](TerminalNotes& n) { n.count(0); }, "(0 records)\n"},
        {"one record", [](TerminalNotes& n) { n.count(1); }, "(1 record)\n"},
        {"grouped", [](TerminalNotes& n) { n.count(1204); }, "(1,204 records)\n"},
        {"grouped twice", [](TerminalNotes& n) { n.count(1234567); }, "(1,234,567 records)\n"},
    };
    for (const NoteCase& c : cases) {
        KeptScreen screen;
        TerminalNotes notes(screen);
        c.note(notes);
        EXPECT_EQ(screen.written, c.text) << c.label;
    }
}

TEST(TerminalNotes, HelpListsEveryRequestOrTellsOfOne) {
    KeptScreen screen;
    TerminalNotes notes(screen);
    notes.help("");
    EXPECT_TRUE(screen.written.starts_with("The requests (\"help REQUEST\" shows")) << screen.written;
    EXPECT_EQ(std::count(screen.written.begin(), screen.written.end(), '\n'), 10);
    screen.written.clear();
    notes.help("remove name=a");
    EXPECT_EQ(screen.written,
              "remove name=N\n  Remove the record of a name.\n"
              "  Where several records share the name, one of them goes (the one select name=N finds).\n"
              "  Reply: \":: The data with this name is removed.\"\n  Example: remove name=Alder\n");
    screen.written.clear();
    notes.help("slect");
    EXPECT_TRUE(
        screen.written.starts_with("No request is called slect. Did you mean select? Type help for the "
                                   "requests.\nThe requests ("))
        << screen.written;
}

TEST(TerminalNotes, QuestionsAndAnswers) {
    std::string question;
    question.reserve(512);
    const char* const room = question.data();
    leaveQuestion(1, question);
    EXPECT_EQ(question, "1 change is not stored (DBstore FILE keeps it). Leave anyway? [y/N] ");
    replaceQuestion(1204, "airports.db", question);
    EXPECT_EQ(question,
              "1,204 changes are not stored (DBstore FILE keeps them). Replace them with airports.db? "
              "[y/N] ");
    replaceQuestion(2, "", question);
    EXPECT_EQ(question, "2 changes are not stored (DBstore FILE keeps them). Empty the database? [y/N] ");
    replaceQuestion(UINT64_MAX, std::string(127, 'f'), question);
    EXPECT_EQ(question.data(), room) << "the room made beforehand suffices";
    for (const char* yes : {"y", "Y", "yes", "YES", "Yes", " y ", "\ty"}) {
        EXPECT_TRUE(saysYes(yes)) << yes;
    }
    for (const char* no : {"", "n", "no", "N", "ye", "yess", "y y", "oui", "1"}) {
        EXPECT_FALSE(saysYes(no)) << no;
    }
}

// Requests and answers from a script, with the questions asked kept.
class ScriptedRequests final : public RequestSource {
public:
    ScriptedRequests(std::vector<std::string> lines, std::vector<std::pair<Answer, std::string>> answers)
        : lines_(std::move(lines)), answers_(std::move(answers)) {}

    bool readRequest(std::string& line) override {
        if (nextLine_ == lines_.size()) {
            return false;
        }
        line = lines_[nextLine_++];
        return true;
    }
    Answer ask(std::string_view question, std::string& answer) override {
        questions.emplace_back(question);
        if (nextAnswer_ == answers_.size()) {
            return Answer::Ended;
        }
        answer = answers_[nextAnswer_].second;
        return answers_[nextAnswer_++].first;
    }

    std::vector<std::string> questions;

private:
    std::vector<std::string> lines_;
    std::vector<std::pair<Answer, std::string>> answers_;
    std::size_t nextLine_ = 0;
    std::size_t nextAnswer_ = 0;
};

// What a run of the loop wrote on standard output, and what it asked.
struct LoopRun {
    std::string replies;
    std::vector<std::string> questions;
    std::string notes;
    std::size_t records = 0;
};

LoopRun runLoop(std::vector<std::string> lines, std::vector<std::pair<Answer, std::string>> answers, bool attended) {
    std::FILE* replies = std::tmpfile();
    LoopRun run;
    {
        Database database;
        Selection selection;
        ConsoleOutput output(::fileno(replies), attended);
        ScriptedRequests input(std::move(lines), std::move(answers));
        KeptScreen screen;
        TerminalNotes notes(screen);
        RequestLoop loop(database, selection, input, output, nullptr, attended ? &notes : nullptr);
        loop.run();
        run.questions = input.questions;
        run.notes = screen.written;
        run.records = database.records().size();
    }
    std::rewind(replies);
    for (int c; (c = std::fgetc(replies)) != EOF;) {
        run.replies += static_cast<char>(c);
    }
    std::fclose(replies);
    return run;
}

constexpr const char* Inserted = ":: New Data is inserted successfully.\n";
constexpr const char* Bye = ":: Good bye!\n";
const std::string LeaveOne = "1 change is not stored (DBstore FILE keeps it). Leave anyway? [y/N] ";

TEST(RequestLoop, AsksBeforeDroppingUnstoredChanges) {
    const std::string missing = "/nonexistent/x.db";
    struct LoopCase {
        const char* label;
        std::vector<std::string> lines;
        std::vector<std::pair<Answer, std::string>> answers;
        std::vector<std::string> questions;
        std::string replies;
        std::size_t records;
    };
    const LoopCase cases[] = {
        {"exit, answered y",
         {"insert name=a", "exit", "insert name=b"},
         {{Answer::Given, "y"}},
         {LeaveOne},
         std::string(Inserted) + Bye,
         1},
        {"exit declined, then the end of the input answered yes",
         {"insert name=a", "exit"},
         {{Answer::Given, "n"}, {Answer::Given, "yes"}},
         {LeaveOne, LeaveOne},
         std::string(Inserted) + Bye,
         1},
        {"Ctrl-C, then the input ends for good",
         {"insert name=a", "exit"},
         {{Answer::Declined, ""}},
         {LeaveOne, LeaveOne},
         std::string(Inserted) + Bye,
         1},
        {"a replacing insert counts once; a missing name is no change",
         {"insert name=a", "insert name=b", "insert name=a", "remove name=zz", "exit"},
         {{Answer::Given, "y"}},
         {"3 changes are not stored (DBstore FILE keeps them). Leave anyway? [y/N] "},
         std::string(Inserted) + Inserted + ":: The data with this name is removed.\n" + Inserted +
             "!: The data with this name do not exist.\n" + Bye,
         2},
        {"a failed store keeps the changes",
         {"insert name=a", "DBstore " + missing, "exit"},
         {{Answer::Given, "y"}},
         {LeaveOne},
         std::string(Inserted) + "!: The DataBase is stored unsuccessfully:-2.\n" + Bye,
         1},
        {"a store leaves nothing to lose",
         {"insert name=a", "DBstore /dev/null", "exit"},
         {},
         {},
         std::string(Inserted) + ":: The DataBase is stored successfully.\n" + Bye,
         1},
        {"an empty database has nothing to lose",
         {"insert name=a", "remove name=a", "exit"},
         {},
         {},
         std::string(Inserted) + ":: The data with this name is removed.\n" + Bye,
         0},
        {"a declined load is not made and has no reply",
         {"insert name=a", "DBload " + missing, "select"},
         {{Answer::Given, ""}, {Answer::Given, "y"}},
         {"1 change is not stored (DBstore FILE keeps it). Replace it with " + missing + "? [y/N] ", LeaveOne},
         std::string(Inserted) + ":: The Selecting is done successfully.\n" + Bye,
         1},
        {"a load is not made once nobody can answer",
         {"insert name=a", "DBload " + missing},
         {},
         {"1 change is not stored (DBstore FILE keeps it). Replace it with " + missing + "? [y/N] ", LeaveOne},
         std::string(Inserted) + Bye,
         1},
        {"a failed load leaves nothing to lose",
         {"insert name=a", "DBload " + missing, "exit"},
         {{Answer::Given, "y"}},
         {"1 change is not stored (DBstore FILE keeps it). Replace it with " + missing + "? [y/N] "},
         std::string(Inserted) + "!: The DataBase is loaded unsuccessfully:-2.\n" + Bye,
         0},
        {"help is no request",
         {"help", "help insert", "helpx"},
         {},
         {},
         std::string(":: Unknown Request Type.\n") + Bye,
         0},
    };
    for (const LoopCase& c : cases) {
        const LoopRun run = runLoop(c.lines, c.answers, true);
        EXPECT_EQ(run.questions, c.questions) << c.label;
        EXPECT_EQ(run.replies, testing::asText(c.replies)) << c.label;
        EXPECT_EQ(run.records, c.records) << c.label;
    }
}

}  // namespace
}  // namespace recdb
