#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/console_output.hpp"
#include "console/progress_line.hpp"
#include "console/request_source.hpp"
#include "console/terminal_notes.hpp"
#include "selection/criteria.hpp"
#include "selection/selection.hpp"
#include "store/database.hpp"

namespace recdb {

// The console: prompts with ">", reads one request per line, carries it out
// on the database and the selection and answers with reply lines that start
// with ":: " (done, information) or "!: " (refused, failed). The end of the
// input ends the run as exit does. Given a progress line, it shows on it
// the progress of DBload, DBstore and fileprint, and blanks it before the
// reply.
//
// Given notes (a person at a terminal), it also answers the word "help"
// with the notes alone, adds to the replies a hint after an unknown request,
// the count of a selection and why a request on a file failed, and asks
// before exit, the end of the input or a DBload drop changes that no file
// has: a successful insert or remove since the last load or store. Declined,
// the request is not made and has no reply.
class RequestLoop {
public:
    RequestLoop(Database& database, Selection& selection, RequestSource& input, ConsoleOutput& output,
                ProgressLine* progress = nullptr, TerminalNotes* notes = nullptr);

    // Runs until exit or the end of the input; returns the exit status 0.
    int run();
    // Carries out one request line; false when the run is to end.
    bool handle(std::string& line);

private:
    void loadDatabase(std::string_view rest);
    void storeDatabase(std::string_view rest);
    void insertRecord(std::string_view rest);
    void removeRecord(std::string_view rest);
    void select(std::string_view rest);
    void reselect(std::string_view rest);
    void print(std::string_view rest);
    void filePrint(std::string_view rest);
    void unknownRequest(std::string_view line, std::string_view rest);
    // Whether a request that drops the unstored changes may go ahead: the
    // end of the run, or (loadFile given) loading that file.
    [[nodiscard]] bool mayDropChanges(const std::string* loadFile, bool afterPrompt);
    void reply(std::string_view text);
    [[nodiscard]] bool parseValues(std::string_view rest);
    [[nodiscard]] bool parseCriteria(std::string_view rest);
    template <typename Work>
    auto withProgress(Work work);

    Database& database_;
    Selection& selection_;
    RequestSource& input_;
    ConsoleOutput& output_;
    ProgressLine* progress_;
    TerminalNotes* notes_;
    Record requestRecord_;
    Criteria criteria_;
    std::string fileName_;
    std::string question_;
    std::string answer_;
    bool selectionExists_ = false;
    std::uint64_t unstoredChanges_ = 0;
};

}  // namespace recdb
