#include "console/replies.hpp"

#include <algorithm>
#include <charconv>

namespace recdb::replies {

namespace {

int codeOf(LoadOutcome outcome) {
    switch (outcome) {
    case LoadOutcome::CannotRead:
        return -2;
    case LoadOutcome::OutOfMemory:
        return -3;
    case LoadOutcome::BadNameLength:
        return -4;
    case LoadOutcome::Loaded:
        break;
    }
    return 0;
}

int codeOf(StoreOutcome outcome) {
    switch (outcome) {
    case StoreOutcome::Empty:
        return -1;
    case StoreOutcome::CannotOpen:
        return -2;
    case StoreOutcome::WriteFailed:
        return -3;
    case StoreOutcome::Stored:
        break;
    }
    return 0;
}

int codeOf(PrintOutcome outcome) {
    switch (outcome) {
    case PrintOutcome::OutOfMemory:
        return OutOfMemoryCode;
    case PrintOutcome::CannotOpen:
        return -2;
    case PrintOutcome::WriteFailed:
        return -3;
    case PrintOutcome::Printed:
        break;
    }
    return 0;
}

}  // namespace

Line::Line(std::string_view text) : size_(std::min(text.size(), text_.size())) {
    std::copy_n(text.data(), size_, text_.data());
}

Line::Line(std::string_view message, int code) : Line(message) {
    char* end = text_.data() + text_.size();
    char* out = std::to_chars(text_.data() + size_, end - 2, code).ptr;
    *out++ = '.';
    *out++ = '\n';
    size_ = static_cast<std::size_t>(out - text_.data());
}

Line insertFailed() { return {"!: Error: New Data is inserted unsuccessfully:", OutOfMemoryCode}; }

Line selectFailed() { return {"!: Error: in selecting:", OutOfMemoryCode}; }

Line loaded(LoadOutcome outcome) {
    if (outcome == LoadOutcome::Loaded) {
        return {":: The DataBase is loaded successfully.\n"};
    }
    return {"!: The DataBase is loaded unsuccessfully:", codeOf(outcome)};
}

Line stored(StoreOutcome outcome) {
    if (outcome == StoreOutcome::Stored) {
        return {":: The DataBase is stored successfully.\n"};
    }
    return {"!: The DataBase is stored unsuccessfully:", codeOf(outcome)};
}

Line printed(PrintOutcome outcome) {
    if (outcome == PrintOutcome::Printed) {
        return {Printed};
    }
    return {"!: Error: in printing:", codeOf(outcome)};
}

Line filePrinted(PrintOutcome outcome) {
    if (outcome == PrintOutcome::Printed) {
        return {":: The Printing in file is done successfully.\n"};
    }
    return {"!: Error: in printing:", codeOf(outcome)};
}

}  // namespace recdb::replies
