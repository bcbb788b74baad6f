#pragma once

#include <string>
#include <string_view>

#include "console/console_output.hpp"
#include "console/progress_line.hpp"
#include "console/request_source.hpp"
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
class RequestLoop {
public:
    RequestLoop(Database& database, Selection& selection, RequestSource& input, ConsoleOutput& output,
                ProgressLine* progress = nullptr);

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
    Record requestRecord_;
    Criteria criteria_;
    std::string fileName_;
    bool selectionExists_ = false;
};

}  // namespace recdb
