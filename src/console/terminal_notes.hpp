#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "console/progress_line.hpp"
#include "output/print_outcome.hpp"
#include "store/database_file.hpp"

namespace recdb {

// What recdb tells a person at a terminal besides the replies, written on
// the screen of standard error, so that standard output carries the same
// replies as ever: the help, a hint after a word that names no request, the
// count of a selection, and why a request on a file failed. Each note is
// whole lines; one that cannot get memory is left out.
class TerminalNotes {
public:
    explicit TerminalNotes(ProgressScreen& screen) : screen_(screen) {}

    // The text after the word "help": none lists every request in a line;
    // a keyword shows that request's words, more about it, its reply and an
    // example.
    void help(std::string_view rest);
    // After ":: Unknown Request Type.": the request most likely meant by the
    // first word of the line, if one is close, and the word "help".
    void hint(std::string_view word);
    // After a select or reselect: "(1,204 records)".
    void count(std::size_t records);
    // After the failure reply of a request on a file: the file and the
    // reason in words. A fileprint without the word "end" has an empty file
    // name; endGiven tells it from one with nothing after "end".
    void loadFailed(std::string_view file, const LoadResult& result);
    void storeFailed(std::string_view file, const StoreResult& result);
    void filePrintFailed(std::string_view file, const PrintResult& result, bool endGiven);
    // Ends the line that the cursor is on.
    void endLine();

private:
    template <typename Compose>
    void say(Compose compose);
    void fileFailure(std::string_view request, std::string_view file, int error);

    ProgressScreen& screen_;
};

// The question asked before a request drops changes that no file has: on
// leaving, or on loading file in their place. Written into question, which
// must have room for MaxQuestionLength bytes: nothing is allocated.
void leaveQuestion(std::uint64_t changes, std::string& question);
void replaceQuestion(std::uint64_t changes, std::string_view file, std::string& question);

// Whether an answer says yes: "y" or "yes" in any letters, blanks around
// aside.
bool saysYes(std::string_view answer);

}  // namespace recdb
