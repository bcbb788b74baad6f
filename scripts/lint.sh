#!/bin/sh
# Checks the formatting of every source file against .clang-format and runs
# the checks of .clang-tidy over src/, with the compile commands of a build.
#   scripts/lint.sh [BUILD_DIRECTORY]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
sources=$(git ls-files '*.cpp' '*.hpp')
clang-format --dry-run --Werror $sources
# clang-tidy counts on standard error the warnings it suppressed in system
# headers; its findings go to standard output.
git ls-files 'src/*.cpp' | xargs -P "$(nproc 2>/dev/null || echo 2)" -n 4 clang-tidy -p "$build" --quiet 2> /dev/null
echo "lint: formatting and checks clean"
