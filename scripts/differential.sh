#!/bin/sh
# Runs the same seeded random request scripts through two recdb binaries and
# compares their output and every file they write, byte for byte: a change
# that must not change behaviour shows here as a difference.
#   scripts/differential.sh OLD_RECDB NEW_RECDB [SCRIPTS] [REQUESTS]
set -eu
cd "$(dirname "$0")/.."
old=$(realpath "$1")
new=$(realpath "$2")
scripts=${3:-200}
requests=${4:-400}
build=build
cmake --build "$build" --target recdb_random_requests > /dev/null
generate=$PWD/$build/recdb_random_requests
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seed=1
while [ "$seed" -le "$scripts" ]; do
    for side in old new; do
        rm -rf "${work:?}/$side"
        mkdir "$work/$side"
        "$generate" "$seed" "$work/$side" "$requests"
    done
    (cd "$work/old" && "$old" < script.in > output.txt 2>&1)
    (cd "$work/new" && "$new" < script.in > output.txt 2>&1)
    if ! diff -r "$work/old" "$work/new" > "$work/diff.txt"; then
        echo "seed $seed: the binaries differ"
        head -20 "$work/diff.txt"
        exit 1
    fi
    seed=$((seed + 1))
done
echo "$scripts scripts of $requests requests: same bytes"
