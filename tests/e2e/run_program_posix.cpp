#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>

#include "run_program.hpp"

int runProgram(const std::filesystem::path& program, const std::filesystem::path& directory,
               const std::filesystem::path& input, const std::filesystem::path& output) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(directory.c_str()) != 0 || std::freopen(input.c_str(), "rb", stdin) == nullptr ||
            std::freopen(output.c_str(), "wb", stdout) == nullptr) {
            ::_exit(127);
        }
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
