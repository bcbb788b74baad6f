#pragma once

#include <filesystem>

// Runs program in directory, its standard input read from the file input
// and its standard output written to the file output (standard error is
// the runner's); its exit status, or -1 when it could not be run or did not
// exit.
int runProgram(const std::filesystem::path& program, const std::filesystem::path& directory,
               const std::filesystem::path& input, const std::filesystem::path& output);
