#include "console/terminal_notes.hpp"

#include <cstring>
#include <new>

#include "console/request_guide.hpp"
#include "io/grouped_number.hpp"
#include "store/record_findings.hpp"

namespace recdb {

namespace {

constexpr std::size_t KeywordColumn = 11;
constexpr std::string_view ReportExample = "\"fileprint name group end trees.txt\"";

void appendOverview(std::string& text) {
    text += "The requests (\"help REQUEST\" shows a request's words, its reply and an example):\n";
    for (const RequestGuide& guide : requestGuides()) {
        const std::string_view keyword = keywordOf(guide.type);
        text += "  ";
        text += keyword;
        text.append(KeywordColumn - keyword.size(), ' ');
        text += guide.summary;
        text += '\n';
    }
}

void appendGuide(std::string& text, const RequestGuide& guide) {
    text += guide.form;
    text += "\n  ";
    text += static_cast<char>(guide.summary.front() - 'a' + 'A');
    text += guide.summary.substr(1);
    text += ".\n";
    text += guide.details;
    text += "  Reply: ";
    text += guide.reply;
    text += "\n  Example: ";
    text += guide.example;
    text += '\n';
}

void appendHint(std::string& text, std::string_view word) {
    if (const auto meant = nearestWord(word); meant && *meant != HelpWord) {
        text += "Did you mean ";
        text += *meant;
        text += "? ";
    }
    text += "Type help for the requests.\n";
}

void appendChanges(std::string& text, std::uint64_t changes) {
    io::appendGrouped(text, changes);
    text += changes == 1 ? " change is not stored (DBstore FILE keeps it). "
                         : " changes are not stored (DBstore FILE keeps them). ";
}

}  // namespace

template <typename Compose>
void TerminalNotes::say(Compose compose) {
    try {
        std::string text;
        compose(text);
        screen_.write(text);
    } catch (const std::bad_alloc&) {
        // A courtesy that must not stand in the way: left out.
    }
}

void TerminalNotes::help(std::string_view rest) {
    const std::string_view word = rest.substr(0, rest.find(' '));
    say([word](std::string& text) {
        if (word.empty()) {
            appendOverview(text);
        } else if (const RequestGuide* guide = guideFor(word)) {
            appendGuide(text, *guide);
        } else {
            text += "No request is called ";
            text += word;
            text += ". ";
            appendHint(text, word);
            appendOverview(text);
        }
    });
}

void TerminalNotes::hint(std::string_view word) {
    say([word](std::string& text) { appendHint(text, word); });
}

void TerminalNotes::count(std::size_t records) {
    say([records](std::string& text) {
        text += '(';
        io::appendGrouped(text, records);
        text += records == 1 ? " record)\n" : " records)\n";
    });
}

void TerminalNotes::fileFailure(std::string_view request, std::string_view file, int error) {
    say([&](std::string& text) {
        if (file.empty()) {
            text += request;
            text += " needs a file name, as in \"";
            text += guideFor(request)->example;
            text += "\".\n";
            return;
        }
        text += file;
        text += ": ";
        text += error != 0 ? std::strerror(error) : "failed";
        text += '\n';
    });
}

void TerminalNotes::loadFailed(std::string_view file, const LoadResult& result) {
    if (result.outcome != LoadOutcome::BadNameLength) {
        fileFailure(keywordOf(RequestType::DBload), file, result.error);
        return;
    }
    say([&](std::string& text) {
        text += file;
        text += ": ";
        text += recordPlace(result.record, result.offset);
        text += ": ";
        text += badNameLength(result.nameLength);
        text += "; \"recdb-file check ";
        text += file;
        text += "\" tells more\n";
    });
}

void TerminalNotes::storeFailed(std::string_view file, const StoreResult& result) {
    if (result.outcome != StoreOutcome::Empty) {
        fileFailure(keywordOf(RequestType::DBstore), file, result.error);
        return;
    }
    say([file](std::string& text) {
        text += "The database is empty: nothing was written to ";
        text += file.empty() ? std::string_view("any file") : file;
        text += ".\n";
    });
}

void TerminalNotes::filePrintFailed(std::string_view file, const PrintResult& result, bool endGiven) {
    if (!file.empty()) {
        fileFailure(keywordOf(RequestType::FilePrint), file, result.error);
        return;
    }
    say([endGiven](std::string& text) {
        text += endGiven ? "A file name must follow the word end, as in "
                         : "The word end must come before the file name, as in ";
        text += ReportExample;
        text += ".\n";
    });
}

void TerminalNotes::endLine() { screen_.write("\n"); }

void leaveQuestion(std::uint64_t changes, std::string& question) {
    question.clear();
    appendChanges(question, changes);
    question += "Leave anyway? [y/N] ";
}

void replaceQuestion(std::uint64_t changes, std::string_view file, std::string& question) {
    question.clear();
    appendChanges(question, changes);
    if (file.empty()) {
        // A load without a file name fails, and a failed load leaves the
        // database empty.
        question += "Empty the database? [y/N] ";
        return;
    }
    question += changes == 1 ? "Replace it with " : "Replace them with ";
    question += file;
    question += "? [y/N] ";
}

bool saysYes(std::string_view answer) {
    const std::size_t start = answer.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return false;
    }
    answer = answer.substr(start, answer.find_last_not_of(" \t") + 1 - start);
    return sameFolded(answer, "y") || sameFolded(answer, "yes");
}

}  // namespace recdb
