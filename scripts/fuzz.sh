#!/bin/sh
# Runs each libFuzzer harness for SECONDS, starting from its corpus in
# tests/fuzz/corpus, then merges into that corpus the inputs of the run that
# reach code no input there reached: the corpus grows with every run, so that
# short runs start from deep states (commit what a long run adds). Prints the
# runs made and the inputs added.
#   scripts/fuzz.sh BUILD_DIRECTORY SECONDS [HARNESS...]
set -eu
cd "$(dirname "$0")/.."
# Absolute: the merge runs the fuzzer again by this path, after a harness
# may have changed its directory.
build=$(cd "$1" && pwd)
seconds=$2
shift 2
harnesses=${*:-requests database_file ordered_index file_check file_import}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for harness in $harnesses; do
    fuzzer=$build/tests/fuzz/fuzz_$harness
    corpus=$PWD/tests/fuzz/corpus/$harness
    mkdir -p "$work/$harness" "$corpus"
    if ! "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
        "$work/$harness" "$corpus" > "$work/$harness.log" 2>&1; then
        tail -40 "$work/$harness.log"
        echo "fuzz_$harness: failed" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$harness.log")
    before=$(ls "$corpus" | wc -l)
    "$fuzzer" -merge=1 -rss_limit_mb=2048 -max_len=4096 "$corpus" "$work/$harness" > "$work/$harness.merge" 2>&1
    added=$(($(ls "$corpus" | wc -l) - before))
    echo "fuzz_$harness: $runs runs in $seconds s, no failure; $added inputs of new coverage added to the corpus"
done
