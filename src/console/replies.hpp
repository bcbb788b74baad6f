#pragma once

#include <array>
#include <string_view>

#include "output/print_outcome.hpp"
#include "store/database_file.hpp"

namespace recdb::replies {

// Every reply line of the console, and the codes that failures carry. A
// failure reply is its message, the code in decimal and ".\n".

inline constexpr std::string_view GoodBye = ":: Good bye!\n";
inline constexpr std::string_view UnknownRequest = ":: Unknown Request Type.\n";
inline constexpr std::string_view FileNameIncorrect = "!: Error: The filename is incorrect.\n";
inline constexpr std::string_view NameNotGiven = "!: The values are incorrect. (the name is not given!)\n";
inline constexpr std::string_view RecordRemoved = ":: The data with this name is removed.\n";
inline constexpr std::string_view NoSuchRecord = "!: The data with this name do not exist.\n";
inline constexpr std::string_view Inserted = ":: New Data is inserted successfully.\n";
inline constexpr std::string_view Selected = ":: The Selecting is done successfully.\n";
inline constexpr std::string_view Reselected = ":: The ReSelecting is done successfully.\n";
inline constexpr std::string_view NoSelection = "!: The selection does not exist.\n";
inline constexpr std::string_view Printed = ":: The Printing is done successfully.\n";

// The code with which insert, select and print answer running out of memory
// (std::bad_alloc from any allocation the request makes).
inline constexpr int OutOfMemoryCode = -1;

inline constexpr std::string_view ValuesIncorrect = "!: Error: The values are incorrect.\n";

// A reply line built without the heap, so that a reply to running out of
// memory can always be given.
class Line {
public:
    Line(std::string_view text);  // NOLINT(google-explicit-constructor): replies are lines
    Line(std::string_view message, int code);
    operator std::string_view() const { return {text_.data(), size_}; }  // NOLINT(google-explicit-constructor)

private:
    std::array<char, 96> text_{};
    std::size_t size_ = 0;
};

Line insertFailed();
Line selectFailed();
Line loaded(LoadOutcome outcome);
Line stored(StoreOutcome outcome);
Line printed(PrintOutcome outcome);
Line filePrinted(PrintOutcome outcome);

}  // namespace recdb::replies
