#include <windows.h>

#include <string>

#include "run_program.hpp"

namespace {

// A file as a handle that the child inherits.
HANDLE inherited(const std::filesystem::path& file, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileW(file.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int runProgram(const std::filesystem::path& program, const std::filesystem::path& directory,
               const std::filesystem::path& input, const std::filesystem::path& output) {
    const HANDLE in = inherited(input, GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = inherited(output, GENERIC_WRITE, CREATE_ALWAYS);
    int status = -1;
    if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in;
        startup.hStdOutput = out;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::wstring commandLine = L"\"" + program.wstring() + L"\"";
        PROCESS_INFORMATION process{};
        if (CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                           directory.wstring().c_str(), &startup, &process) != 0) {
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 0;
            if (GetExitCodeProcess(process.hProcess, &code) != 0) {
                status = static_cast<int>(code);
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    for (const HANDLE handle : {in, out}) {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    return status;
}
