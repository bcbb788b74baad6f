#!/bin/sh
# Checks the formatting of every source file against .clang-format and runs
# the checks of .clang-tidy over src/, with the compile commands of a build;
# the Windows sources with those of the Windows build (make windows), as
# MinGW-w64 compiles them.
#   scripts/lint.sh [BUILD_DIRECTORY] [WINDOWS_BUILD_DIRECTORY]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
windows_build=${2:-build-windows}
jobs=$(nproc 2>/dev/null || echo 2)
sources=$(git ls-files '*.cpp' '*.hpp')
clang-format --dry-run --Werror $sources
# clang-tidy counts on standard error the warnings it suppressed in system
# headers; its findings go to standard output.
git ls-files 'src/*.cpp' | grep -v '/windows/' | xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet 2> /dev/null
if [ -f "$windows_build/compile_commands.json" ]; then
    # clang, told the target, finds the Windows headers but not MinGW-w64's
    # C++ library: its directories are asked of the cross compiler.
    set -- --extra-arg=--target=x86_64-w64-mingw32
    for directory in $(echo | x86_64-w64-mingw32-g++-posix -x c++ -E -v - 2>&1 | sed -n 's|^ \(/.*/c++.*\)|\1|p'); do
        set -- "$@" "--extra-arg=-isystem$directory"
    done
    git ls-files 'src/*/windows/*.cpp' |
        xargs -P "$jobs" -n 4 clang-tidy -p "$windows_build" --quiet "$@" 2> /dev/null
else
    echo "lint: no Windows build in $windows_build, so its own sources were not checked (make windows)"
fi
echo "lint: formatting and checks clean"
