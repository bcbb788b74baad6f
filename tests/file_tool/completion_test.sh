#!/bin/bash
# The bash completion of recdb-file: what Tab offers after each kind of word.
#   tests/file_tool/completion_test.sh PATH_TO_COMPLETION_FILE
set -u
# shellcheck source=/dev/null
. "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch trees.db trees.csv
failures=0

# offers "WORDS TYPED" "EXPECTED": the completions of the last word typed,
# sorted and joined by spaces.
offers() {
    read -r -a COMP_WORDS <<< "$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _recdb_file
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')
    if [[ $got != "$2" ]]; then
        echo "FAILED: '$1' offers '$got', wanted '$2'"
        failures=$((failures + 1))
    fi
}

offers "recdb-file " "check export import salvage"
offers "recdb-file ex" "export"
offers "recdb-file --" "--help --quiet --version"
offers "recdb-file export --" "--format --help --quiet --sort --where"
offers "recdb-file import --" "--format --help --ignore-other-columns --map --quiet"
offers "recdb-file export --format " "csv jsonl tsv"
offers "recdb-file import --format " "csv tsv"
offers "recdb-file export --format = j" "jsonl"
offers "recdb-file export --sort r" "rating"
offers "recdb-file export --where " "group= name= rating="
offers "recdb-file import --map i" "info="
offers "recdb-file check tr" "trees.csv trees.db"
offers "recdb-file -q import trees.c" "trees.csv"

if [[ $failures -gt 0 ]]; then
    echo "$failures failed"
    exit 1
fi
echo "recdb-file completion: all passed"
