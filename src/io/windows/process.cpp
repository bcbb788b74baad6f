#include "io/process.hpp"

#include "io/windows/win32.hpp"

#include <shellapi.h>
#include <string_view>

#include "io/utf8.hpp"

namespace recdb::io {

void letWritesFail(bool) {}

std::vector<std::string> argumentsOf(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        arguments.push_back(toUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide[k]))));
    }
    LocalFree(wide);
    return arguments;
}

Utf8Console::Utf8Console() {
    if (win32::isConsole(GetStdHandle(STD_OUTPUT_HANDLE)) || win32::isConsole(GetStdHandle(STD_ERROR_HANDLE))) {
        previousCodePage_ = GetConsoleOutputCP();
        SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console() {
    if (previousCodePage_ != 0) {
        SetConsoleOutputCP(previousCodePage_);
    }
}

}  // namespace recdb::io
