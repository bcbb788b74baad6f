#include "console/request_loop.hpp"

#include "output/console_print.hpp"
#include "output/file_print.hpp"
#include "output/record_fields.hpp"
#include "request/file_arguments.hpp"
#include "request/print_fields.hpp"
#include "request/record_values.hpp"
#include "request/request_type.hpp"
#include "store/database_file.hpp"

namespace recdb {

namespace {

constexpr std::string_view FileNameIncorrect = "!: Error: The filename is incorrect.\n";
constexpr std::string_view NameNotGiven = "!: The values are incorrect. (the name is not given!)\n";
constexpr std::string_view RecordRemoved = ":: The data with this name is removed.\n";
constexpr std::string_view NoSelection = "!: The selection does not exist.\n";
constexpr std::string_view GoodBye = ":: Good bye!\n";

}  // namespace

RequestLoop::RequestLoop(Database& database, Selection& selection, LineReader& input, ConsoleOutput& output)
    : database_(database), selection_(selection), input_(input), output_(output) {}

int RequestLoop::run() {
    std::string line;
    for (;;) {
        output_.write(">");
        if (!input_.readRequest(line)) {
            reply(GoodBye);
            break;
        }
        if (!handle(line)) {
            break;
        }
    }
    output_.flush();
    return 0;
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
        reply(GoodBye);
        return false;
    case RequestType::Unknown:
        reply(":: Unknown Request Type.\n");
        break;
    }
    return true;
}

void RequestLoop::loadDatabase(std::string_view rest) {
    if (!parseFileName(rest, fileName_)) {
        reply(FileNameIncorrect);
        return;
    }
    selectionExists_ = false;
    const int result = load(database_, fileName_);
    if (result < 0) {
        database_.clear();
        replyFailure("!: The DataBase is loaded unsuccessfully:", result);
        return;
    }
    reply(":: The DataBase is loaded successfully.\n");
}

void RequestLoop::storeDatabase(std::string_view rest) {
    if (!parseFileName(rest, fileName_)) {
        reply(FileNameIncorrect);
        return;
    }
    // The file may be the console itself (/dev/stdout): what was answered
    // before must reach it first.
    output_.flush();
    const int result = store(database_, fileName_);
    if (result < 0) {
        replyFailure("!: The DataBase is stored unsuccessfully:", result);
        return;
    }
    reply(":: The DataBase is stored successfully.\n");
}

void RequestLoop::insertRecord(std::string_view rest) {
    parseRecordValues(rest, requestRecord_);
    if (requestRecord_.nameView().empty()) {
        reply(NameNotGiven);
        return;
    }
    selectionExists_ = false;
    if (database_.replace(requestRecord_)) {
        reply(RecordRemoved);
    }
    reply(":: New Data is inserted successfully.\n");
}

void RequestLoop::removeRecord(std::string_view rest) {
    parseRecordValues(rest, requestRecord_);
    if (requestRecord_.nameView().empty()) {
        reply(NameNotGiven);
        return;
    }
    selectionExists_ = false;
    if (database_.remove(requestRecord_.nameView()) == 0) {
        reply(RecordRemoved);
    } else {
        reply("!: The data with this name do not exist.\n");
    }
}

void RequestLoop::select(std::string_view rest) {
    parseConditions(rest, criteria_);
    selectRecords(database_, selection_, criteria_);
    selectionExists_ = true;
    reply(":: The Selecting is done successfully.\n");
}

void RequestLoop::reselect(std::string_view rest) {
    if (!selectionExists_) {
        reply(NoSelection);
        return;
    }
    parseConditions(rest, criteria_);
    reselectRecords(selection_, criteria_);
    reply(":: The ReSelecting is done successfully.\n");
}

void RequestLoop::print(std::string_view rest) {
    if (!selectionExists_) {
        reply(NoSelection);
        return;
    }
    FieldSet fields = 0;
    SortKey sortKey = 0;
    parsePrintFields(rest, fields, sortKey);
    printSelection(selection_, fields, sortKey, output_);
    reply(":: The Printing is done successfully.\n");
}

void RequestLoop::filePrint(std::string_view rest) {
    if (!selectionExists_) {
        reply(NoSelection);
        return;
    }
    FieldSet fields = 0;
    SortKey sortKey = 0;
    const std::string_view afterFields = parsePrintFields(rest, fields, sortKey);
    const auto afterFileName = parseFileName(afterFields, fileName_);
    if (!afterFileName) {
        reply(FileNameIncorrect);
        return;
    }
    PrintType printType = PrintType::Text;
    parsePrintType(*afterFileName, printType);
    output_.flush();
    const int result = filePrintSelection(fileName_, printType, selection_, fields, sortKey);
    if (result < 0) {
        replyFailure("!: Error: in printing:", result);
        return;
    }
    reply(":: The Printing in file is done successfully.\n");
}

void RequestLoop::reply(std::string_view text) { output_.writeLine(text); }

void RequestLoop::replyFailure(std::string_view message, int code) {
    std::string text(message);
    appendNumber(text, code);
    text += ".\n";
    reply(text);
}

}  // namespace recdb
