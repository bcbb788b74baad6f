#include "console/request_loop.hpp"

#include <sys/stat.h>
#include <new>

#include "console/line_reader.hpp"
#include "console/replies.hpp"
#include "console/request_guide.hpp"
#include "io/system_calls.hpp"
#include "output/console_print.hpp"
#include "output/file_print.hpp"
#include "request/conditions.hpp"
#include "request/file_arguments.hpp"
#include "request/print_fields.hpp"
#include "request/record_values.hpp"
#include "request/request_type.hpp"
#include "request/words.hpp"
#include "store/database_file.hpp"

namespace recdb {

RequestLoop::RequestLoop(Database& database, Selection& selection, RequestSource& input, ConsoleOutput& output,
                         ProgressLine* progress, TerminalNotes* notes)
    : database_(database), selection_(selection), input_(input), output_(output), progress_(progress), notes_(notes) {
    // The buffers a request needs are made once, so that no request can
    // fail for want of them.
    fileName_.reserve(MaxFileNameLength + 1);
    if (notes_ != nullptr) {
        question_.reserve(MaxQuestionLength);
        answer_.reserve(MaxRequestLength + 2);
    }
}

int RequestLoop::run() {
    std::string line;
    line.reserve(MaxRequestLength + 2);
    for (;;) {
        if (!input_.readRequest(line)) {
            // Ctrl-D at a terminal leaves the cursor after the prompt.
            if (!mayDropChanges(nullptr, true)) {
                continue;
            }
            reply(replies::GoodBye);
            break;
        }
        if (!handle(line)) {
            break;
        }
    }
    output_.flush();
    return 0;
}

namespace {

// Whether a path names a device. The progress line stays off while a request
// reads or writes one: when it is the terminal itself, the line would mix
// with the file's bytes on the screen. A path that cannot be looked at is
// taken for a file, which the request then reports on.
bool isDevice(const std::string& path) {
    io::FileStatus info{};
    return io::systemCalls().stat(path.c_str(), &info) == 0 && (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode));
}

// Whether the text holds the word.
bool holdsWord(std::string_view text, std::string_view wanted) {
    WordReader words(text);
    std::string_view word;
    while (words.next(word)) {
        if (word == wanted) {
            return true;
        }
    }
    return false;
}

// The progress line over one request on the file fileName: begun when made,
// blanked when it goes, however the request ends.
class RequestProgress {
public:
    RequestProgress(ProgressLine* line, const std::string& fileName)
        : line_(line != nullptr && !isDevice(fileName) ? line : nullptr) {
        if (line_ != nullptr) {
            line_->begin();
        }
    }
    RequestProgress(const RequestProgress&) = delete;
    RequestProgress& operator=(const RequestProgress&) = delete;
    ~RequestProgress() {
        if (line_ != nullptr) {
            line_->end();
        }
    }

    io::ProgressReporter& reporter() { return line_ != nullptr ? *line_ : io::noProgress(); }

private:
    ProgressLine* line_;
};

}  // namespace

// Runs work, a request on the file named fileName_, with the progress line
// over it; what work returns comes back once the line is blank again.
template <typename Work>
auto RequestLoop::withProgress(Work work) {
    RequestProgress progress(progress_, fileName_);
    return work(progress.reporter());
}

bool RequestLoop::handle(std::string& line) {
    normalizeRequest(line);
    const ParsedRequest request = parseRequestType(line);
    switch (request.type) {
    case RequestType::DBload:
        loadDatabase(request.rest);
        break;
    case RequestType::DBstore:
        storeDatabase(request.rest);
        break;
    case RequestType::Insert:
        insertRecord(request.rest);
        break;
    case RequestType::Remove:
        removeRecord(request.rest);
        break;
    case RequestType::Select:
        select(request.rest);
        break;
    case RequestType::Reselect:
        reselect(request.rest);
        break;
    case RequestType::Print:
        print(request.rest);
        break;
    case RequestType::FilePrint:
        filePrint(request.rest);
        break;
    case RequestType::Exit:
        if (!mayDropChanges(nullptr, false)) {
            break;
        }
        reply(replies::GoodBye);
        return false;
    case RequestType::Unknown:
        unknownRequest(line, request.rest);
        break;
    }
    return true;
}

void RequestLoop::unknownRequest(std::string_view line, std::string_view rest) {
    const std::string_view word = line.substr(0, line.find(' '));
    if (notes_ != nullptr && word == HelpWord) {
        notes_->help(rest);
        return;
    }
    reply(replies::UnknownRequest);
    if (notes_ != nullptr) {
        notes_->hint(word);
    }
}

bool RequestLoop::mayDropChanges(const std::string* loadFile, bool afterPrompt) {
    if (notes_ == nullptr || unstoredChanges_ == 0 || database_.records().isEmpty()) {
        return true;
    }
    if (afterPrompt) {
        notes_->endLine();
    }
    if (loadFile != nullptr) {
        replaceQuestion(unstoredChanges_, *loadFile, question_);
    } else {
        leaveQuestion(unstoredChanges_, question_);
    }
    switch (input_.ask(question_, answer_)) {
    case Answer::Given:
        return saysYes(answer_);
    case Answer::Declined:
        break;
    case Answer::Ended:
        // Nobody can answer any more: the run can only end, and a load
        // would gain nothing.
        return loadFile == nullptr;
    }
    return false;
}

void RequestLoop::loadDatabase(std::string_view rest) {
    if (!parseFileName(rest, fileName_)) {
        reply(replies::FileNameIncorrect);
        return;
    }
    if (!mayDropChanges(&fileName_, false)) {
        return;
    }
    selectionExists_ = false;
    const LoadResult result =
        withProgress([this](io::ProgressReporter& progress) { return load(database_, fileName_, progress); });
    if (result.outcome != LoadOutcome::Loaded) {
        database_.clear();
    }
    unstoredChanges_ = 0;
    reply(replies::loaded(result.outcome));
    if (result.outcome != LoadOutcome::Loaded && notes_ != nullptr) {
        notes_->loadFailed(fileName_, result);
    }
}

void RequestLoop::storeDatabase(std::string_view rest) {
    if (!parseFileName(rest, fileName_)) {
        reply(replies::FileNameIncorrect);
        return;
    }
    // The file may be the console itself (/dev/stdout): what was answered
    // before must reach it first.
    output_.flush();
    const StoreResult result =
        withProgress([this](io::ProgressReporter& progress) { return store(database_, fileName_, progress); });
    if (result.outcome == StoreOutcome::Stored) {
        unstoredChanges_ = 0;
    }
    reply(replies::stored(result.outcome));
    if (result.outcome != StoreOutcome::Stored && notes_ != nullptr) {
        notes_->storeFailed(fileName_, result);
    }
}

// The values parser fails only when the record's info cannot be copied.
bool RequestLoop::parseValues(std::string_view rest) {
    try {
        parseRecordValues(rest, requestRecord_);
        return true;
    } catch (const std::bad_alloc&) {
        requestRecord_.clear();
        reply(replies::ValuesIncorrect);
        return false;
    }
}

// The conditions parser fails only when the name cannot be copied.
bool RequestLoop::parseCriteria(std::string_view rest) {
    try {
        criteria_ = parseConditions(rest);
        return true;
    } catch (const std::bad_alloc&) {
        reply(replies::ValuesIncorrect);
        return false;
    }
}

void RequestLoop::insertRecord(std::string_view rest) {
    if (!parseValues(rest)) {
        return;
    }
    if (requestRecord_.nameView().empty()) {
        reply(replies::NameNotGiven);
        return;
    }
    selectionExists_ = false;
    bool replaced = false;
    try {
        replaced = database_.replace(requestRecord_.view());
    } catch (const std::bad_alloc&) {
        reply(replies::insertFailed());
        return;
    }
    ++unstoredChanges_;
    if (replaced) {
        reply(replies::RecordRemoved);
    }
    reply(replies::Inserted);
}

void RequestLoop::removeRecord(std::string_view rest) {
    if (!parseValues(rest)) {
        return;
    }
    if (requestRecord_.nameView().empty()) {
        reply(replies::NameNotGiven);
        return;
    }
    selectionExists_ = false;
    if (!database_.remove(requestRecord_.nameView())) {
        reply(replies::NoSuchRecord);
        return;
    }
    ++unstoredChanges_;
    reply(replies::RecordRemoved);
}

void RequestLoop::select(std::string_view rest) {
    if (!parseCriteria(rest)) {
        return;
    }
    if (!selectRecords(database_, selection_, criteria_)) {
        reply(replies::selectFailed());
        return;
    }
    selectionExists_ = true;
    reply(replies::Selected);
    if (notes_ != nullptr) {
        notes_->count(selection_.records.size());
    }
}

void RequestLoop::reselect(std::string_view rest) {
    if (!selectionExists_) {
        reply(replies::NoSelection);
        return;
    }
    if (!parseCriteria(rest)) {
        return;
    }
    reselectRecords(database_.records(), selection_, criteria_);
    reply(replies::Reselected);
    if (notes_ != nullptr) {
        notes_->count(selection_.records.size());
    }
}

void RequestLoop::print(std::string_view rest) {
    if (!selectionExists_) {
        reply(replies::NoSelection);
        return;
    }
    FieldSet fields = 0;
    SortKey sortKey = 0;
    parsePrintFields(rest, fields, sortKey);
    reply(replies::printed(printSelection(database_.records(), selection_, fields, sortKey, output_)));
}

void RequestLoop::filePrint(std::string_view rest) {
    if (!selectionExists_) {
        reply(replies::NoSelection);
        return;
    }
    FieldSet fields = 0;
    SortKey sortKey = 0;
    const std::string_view afterFields = parsePrintFields(rest, fields, sortKey);
    const auto afterFileName = parseFileName(afterFields, fileName_);
    if (!afterFileName) {
        reply(replies::FileNameIncorrect);
        return;
    }
    PrintType printType = PrintType::Text;
    parsePrintType(*afterFileName, printType);
    output_.flush();
    const PrintResult result = withProgress([&](io::ProgressReporter& progress) {
        return filePrintSelection(fileName_, printType, database_.records(), selection_, fields, sortKey, progress);
    });
    reply(replies::filePrinted(result.outcome));
    if (result.outcome != PrintOutcome::Printed && notes_ != nullptr) {
        notes_->filePrintFailed(fileName_, result, holdsWord(rest, "end"));
    }
}

void RequestLoop::reply(std::string_view text) { output_.writeLine(text); }

}  // namespace recdb
