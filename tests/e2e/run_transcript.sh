#!/bin/sh
# Runs recdb on a transcript's input in a fresh directory and compares its
# standard output byte for byte with NAME.out. Files in NAME.given/ are put
# into that directory first; files in NAME.expect/ must be produced there
# with exactly their bytes.
set -eu
binary=$1
input=$2
base=${input%.in}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -d "$base.given" ]; then
    cp -R "$base.given/." "$work/"
fi
(cd "$work" && "$binary" < "$input" > "$work/.stdout")
status=0
if ! cmp "$work/.stdout" "$base.out"; then
    diff "$base.out" "$work/.stdout" | head -40 || true
    status=1
fi
if [ -d "$base.expect" ]; then
    for expected in "$base.expect"/*; do
        produced="$work/$(basename "$expected")"
        if ! cmp "$expected" "$produced"; then
            status=1
        fi
    done
fi
exit $status
