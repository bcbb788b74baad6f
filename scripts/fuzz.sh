#!/bin/sh
# Runs each libFuzzer harness for SECONDS, starting from the seed corpus in
# tests/fuzz/corpus (which it never writes to), and prints the runs made.
#   scripts/fuzz.sh BUILD_DIRECTORY SECONDS
set -eu
cd "$(dirname "$0")/.."
build=$1
seconds=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for harness in requests database_file ordered_index file_check file_import; do
    mkdir -p "$work/$harness"
    if ! "$build/tests/fuzz/fuzz_$harness" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 "$work/$harness" "$PWD/tests/fuzz/corpus/$harness" > "$work/$harness.log" 2>&1; then
        tail -40 "$work/$harness.log"
        echo "fuzz_$harness: failed" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$harness.log")
    echo "fuzz_$harness: $runs runs in $seconds s, no failure"
done
