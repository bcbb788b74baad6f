#!/bin/sh
# recdb-file as a user runs it: exit statuses, what goes to standard output
# and what to standard error, and outputs that cannot be written whole.
#   tests/file_tool/cli_test.sh PATH_TO_RECDB_FILE [RUNNER...]
# A cross-built tool runs through RUNNER, its emulator (scripts/wine-run
# PREFIX for Windows); its messages then end their lines as text does there
# (CR LF), and are read without the carriage returns.
set -u
tool=$1
shift
work=$(mktemp -d)
# A coverage build writes its counters when the tool exits, under the same
# file-size limit as the tool's output: they go to a place of their own, so
# that no cut counter file spoils the figures.
counters=$(mktemp -d)
wrapper=$(mktemp)
trap 'chmod -R u+w "$work"; rm -rf "$work" "$counters" "$wrapper"' EXIT
if [ $# -gt 0 ]; then
    { echo '#!/bin/sh'; printf 'exec'; printf " '%s'" "$@" "$tool"; echo ' "$@"'; } > "$wrapper"
    chmod +x "$wrapper"
    tool=$wrapper
fi
emulated=$#
cd "$work" || exit 1
failures=0

# expect STATUS STDOUT_PATTERN STDERR_PATTERN COMMAND...: the command ends
# with STATUS, and each stream matches its grep pattern ("" for empty).
expect() {
    status=$1 out=$2 err=$3
    shift 3
    "$@" > out.txt 2> err.txt
    got=$?
    [ "$emulated" -eq 0 ] || sed -i 's/\r$//' out.txt err.txt
    ok=1
    [ "$got" -eq "$status" ] || ok=0
    if [ -z "$out" ]; then [ ! -s out.txt ] || ok=0; else grep -q -- "$out" out.txt || ok=0; fi
    if [ -z "$err" ]; then [ ! -s err.txt ] || ok=0; else grep -q -- "$err" err.txt || ok=0; fi
    if [ "$ok" -eq 0 ]; then
        echo "FAILED: $* (status $got, wanted $status)"
        sed 's/^/  out: /' out.txt
        sed 's/^/  err: /' err.txt
        failures=$((failures + 1))
    fi
}

# No file but the given ones is left in the directory (no temporary file).
only() {
    left=$(ls | grep -v -e '^out.txt$' -e '^err.txt$' | sort | tr '\n' ' ')
    if [ "$left" != "$* " ]; then
        echo "FAILED: files left: $left; wanted $*"
        failures=$((failures + 1))
    fi
}

printf 'name,group,rating,info\nAlder,3,4.5,tall\nBirch,2,1.2,\n' > trees.csv
expect 0 "" "^recdb-file: 2 records written to trees.db$" "$tool" import trees.csv trees.db
expect 0 "" "" "$tool" -q import trees.csv trees.db
expect 0 "" "" "$tool" import --quiet trees.csv trees.db
expect 0 "^2 records, 54 bytes, 0 problems, 0 notes: DBload loads all of them unchanged$" "" "$tool" check trees.db
expect 0 "^Alder,3,4.5,tall$" "" "$tool" export trees.db
# The data are the same bytes on every system: line feeds alone.
"$tool" export trees.db | cmp -s - trees.csv || { echo "FAILED: the export differs from trees.csv"; failures=$((failures + 1)); }
expect 0 '^{"name":"Birch","group":2,"rating":"1.2","info":null}$' "" "$tool" export --format jsonl trees.db
expect 0 "^Birch	2	1.2	\\\\N$" "" "$tool" export --format=tsv trees.db

# Help and version on standard output; usage errors on standard error.
expect 0 "salvage" "" "$tool" --help
expect 0 "OUTPUT" "" "$tool" import --help
expect 0 "^recdb-file 1.0.0$" "" "$tool" --version
expect 2 "" "subcommand" "$tool"
expect 2 "" "." "$tool" repair trees.db
expect 2 "" "xml" "$tool" export --format xml trees.db
expect 2 "" "." "$tool" check
expect 2 "" "." "$tool" check trees.db extra

# Files that cannot be read.
expect 2 "" "cannot read missing.db: No such file or directory" "$tool" check missing.db
expect 2 "" "cannot read" "$tool" check .

# A cut file: a problem on standard output, status 1.
head -c 40 trees.db > cut.db
expect 1 "^record 2 at byte 29: problem: the data ends inside the group after 2 of its 4 bytes" "" \
    "$tool" check cut.db
expect 1 "^skipped 11 bytes at byte 29$" "^recdb-file: 1 record written to saved.db$" "$tool" salvage cut.db saved.db
expect 0 "^1 record, 29 bytes" "" "$tool" check saved.db
expect 2 "" "is the input file itself" "$tool" salvage cut.db cut.db

# Outputs that cannot be written whole leave nothing behind.
rm -f saved.db
expect 2 "" "cannot create or open nowhere/out.db" "$tool" import trees.csv nowhere/out.db
if [ -e /dev/full ]; then
    expect 2 "" "No space left on device" "$tool" export trees.db /dev/full
    expect 2 "" "No space left on device" sh -c "'$tool' export trees.db > /dev/full"
fi
awk 'BEGIN { print "name,group,rating,info"; for (k = 0; k < 2000; k++) printf "n%d,%d,1.2,info\n", k, k }' > big.csv
expect 0 "" "^recdb-file: 2,000 records written to whole.db$" "$tool" import big.csv whole.db
printf 'old' > big.db
# A file-size limit is a POSIX process's (Windows has quotas, which fail as
# a full disk does).
if [ "$emulated" -eq 0 ]; then
    expect 2 "" "File too large" sh -c "ulimit -f 4; GCOV_PREFIX='$counters' exec '$tool' import big.csv big.db"
    expect 2 "" "File too large" sh -c "ulimit -f 4; GCOV_PREFIX='$counters' exec '$tool' export whole.db big.db"
fi
[ "$(cat big.db)" = old ] || { echo "FAILED: big.db was changed"; failures=$((failures + 1)); }
only big.csv big.db cut.db trees.csv trees.db whole.db

# Refused rows: status 1, each with its line and column, nothing written.
printf 'name,group,rating,info\nok,1,1.1,\nbad,12x,1.1,\n' > bad.csv
expect 1 "" "bad.csv line 3, column 2 (group)" "$tool" import bad.csv big.db
[ "$(cat big.db)" = old ] || { echo "FAILED: big.db was changed"; failures=$((failures + 1)); }

# The format from the file's name, unless --format says otherwise.
expect 0 "" "written to out.tsv" "$tool" export trees.db out.tsv
grep -q "^Birch	2	1.2	\\\\N$" out.tsv || { echo "FAILED: out.tsv is not TSV"; failures=$((failures + 1)); }
expect 0 "" "" "$tool" -q export --format csv trees.db out.tsv
grep -q "^Birch,2,1.2,$" out.tsv || { echo "FAILED: --format csv did not win"; failures=$((failures + 1)); }
expect 0 "" "" "$tool" -q export trees.db out.jsonl
grep -q '^{"name":"Alder"' out.jsonl || { echo "FAILED: out.jsonl is not JSON Lines"; failures=$((failures + 1)); }
expect 0 "" "" "$tool" -q export trees.db out.tsv
expect 0 "" "written to back.db" "$tool" import out.tsv back.db
cmp -s trees.db back.db || { echo "FAILED: the TSV did not import back"; failures=$((failures + 1)); }
expect 2 "" "is named as JSON Lines" "$tool" import out.jsonl back.db
expect 1 "" "holds tabs: for TSV give --format tsv" "$tool" import --format csv out.tsv back.db

# Columns by name, a selection out, warnings that -q silences but never
# the errors.
printf 'code,city,group,score\nAB,Oslo,1,1.2\n\nCD,Rome,2,3.4\n' > places.csv
expect 1 "" "column 2: the header has \"city\", which no field takes" \
    "$tool" import --map name=code --map rating=score places.csv places.db
expect 0 "" "has 1 empty line, passed over (the first at line 3)" \
    "$tool" import --map name=code --map rating=score --ignore-other-columns places.csv places.db
expect 0 "" "" "$tool" import -q --map name=code --map rating=score --ignore-other-columns places.csv places.db
expect 2 "" "--map takes FIELD=COLUMN" "$tool" import --map title=code places.csv places.db
printf 'name,group,rating\nA,1,\n"B\nb",1,1.x\n' > empty.csv
expect 1 "" "line 2, column 3 (rating): the rating is empty" "$tool" -q import empty.csv places.db
expect 1 "" "line 3 (physical line 4), column 3 (rating): the rating \"1.x\"" "$tool" import empty.csv places.db
expect 0 "^CD,2,3.4,$" "" "$tool" export --where "group=2-9" places.db
expect 0 "^AB	1" "" "$tool" export --where "rating=1.2-* name=*B" --sort rating --format tsv places.db
expect 2 "" "sort" "$tool" export --sort info places.db
rm -f out.tsv out.jsonl back.db places.csv places.db empty.csv

if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "recdb-file command line: all passed"
