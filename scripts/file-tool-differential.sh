#!/bin/sh
# Runs the command lines that two recdb-file binaries both take over the same
# inputs (good, damaged and refused files, made from fixed seeds) and
# compares standard output, standard error, every file written and the exit
# status, byte for byte. A newer binary says on standard error how many
# records it wrote; that line is left out of the comparison, as OLD has none.
#   scripts/file-tool-differential.sh OLD_RECDB_FILE NEW_RECDB_FILE [SEEDS]
set -eu
old=$(realpath "$1")
new=$(realpath "$2")
seeds=${3:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
differences=0
cases=0

# Inputs: CSV and TSV texts, and database files made from them by OLD.
make_inputs() {
    dir=$1 seed=$2
    awk -v seed="$seed" 'BEGIN {
        srand(seed)
        print "name,group,rating,info" > "good.csv"
        print "name\tgroup\trating\tinfo" > "good.tsv"
        print "name,group,rating" > "noinfo.csv"
        n = 1 + int(rand() * 60)
        for (k = 0; k < n; k++) {
            name = "n" int(rand() * (n / 2 + 1))
            if (rand() < 0.1) name = "\"" name ", x\""
            group = int(rand() * 7) - 1
            rating = int(rand() * 5) "." int(rand() * 4)
            info = rand() < 0.3 ? "" : rand() < 0.2 ? "\"\"" : rand() < 0.2 ? "\"two\nlines\"" : "i" k
            printf "%s,%d,%s,%s\n", name, group, rating, info > "good.csv"
            gsub(/"/, "", name); gsub(/"/, "", info); gsub(/\n/, "\\n", info)
            printf "%s\t%d\t%s\t%s\n", name, group, rating, info == "" ? "\\N" : info > "good.tsv"
            printf "%s,%d,%s\n", name ~ /,/ ? "\"" name "\"" : name, group, rating > "noinfo.csv"
        }
        print "name,group,rating,info\nok,1,1.1,\nbad,12x,1.1,\nlong,1,2," > "bad.csv"
        print "name,group,rating,info\na\"b,1,1.1,\nc,1,1.1,\"x\"y\nd,1,1.1\r\ne,99999999999,1.1," > "quotes.csv"
        print "name\tgroup\trating\tinfo\na\\q\t1\t1.1\t\\N\nb\t1\t1.1\tx\\N" > "bad.tsv"
    }' </dev/null
    (cd "$dir" && "$old" import good.csv good.db && "$old" import noinfo.csv noinfo.db) > /dev/null 2>&1 || true
    head -c $(( $(wc -c < "$dir/good.db") * 2 / 3 )) "$dir/good.db" > "$dir/cut.db"
    { cat "$dir/good.db"; printf '\100\0\0\0xyz'; cat "$dir/noinfo.db"; } > "$dir/badlength.db"
    { head -c 30 "$dir/good.db"; printf '\0\0\0\0\0\0\0\0'; tail -c +39 "$dir/good.db"; } > "$dir/damaged.db"
    printf '\3\0\0\0a\0b\1\0\0\0\1\0\0\0\2\0\0\0\376\377\377\377' > "$dir/zero.db"
    : > "$dir/empty.db"
}

# run SIDE BINARY ARGS...: runs one command line in the side's directory.
run() {
    side=$1 binary=$2
    shift 2
    (cd "$work/$side" && status=0 && { "$binary" "$@" > stdout.txt 2> stderr.raw || status=$?; } && echo "$status" > status.txt)
    grep -v -E '^recdb-file: [0-9,]+ records? written to ' "$work/$side/stderr.raw" > "$work/$side/stderr.txt" || true
    rm -f "$work/$side/stderr.raw"
}

compare() {
    cases=$((cases + 1))
    for side in old new; do
        rm -rf "${work:?}/$side"
        mkdir "$work/$side"
        (cd "$work/$side" && make_inputs "$work/$side" "$seed")
    done
    run old "$old" "$@"
    run new "$new" "$@"
    if ! diff -r "$work/old" "$work/new" > "$work/diff.txt"; then
        echo "seed $seed: recdb-file $* differs"
        head -20 "$work/diff.txt"
        differences=$((differences + 1))
    fi
}

seed=1
while [ "$seed" -le "$seeds" ]; do
    for db in good.db noinfo.db cut.db badlength.db damaged.db zero.db empty.db missing.db; do
        compare check "$db"
        compare salvage "$db" out.db
        compare export "$db"
        compare export "$db" out.csv
        compare export --format tsv "$db"
        compare export --format=tsv "$db" out.txt
        compare export --format jsonl "$db"
        compare export --format jsonl "$db" out.json
    done
    for text in good.csv noinfo.csv bad.csv quotes.csv missing.csv; do
        compare import "$text" out.db
        compare import --format csv "$text" good.db
    done
    for text in good.tsv bad.tsv; do
        compare import --format tsv "$text" out.db
    done
    compare salvage good.db good.db
    compare import good.csv good.csv
    compare export good.db good.db
    compare export good.db nowhere/out.csv
    compare import good.csv /dev/full
    compare export --format xml good.db
    compare --version
    compare check
    seed=$((seed + 1))
done
echo "$cases command lines over $seeds seeds: $differences differ"
[ "$differences" -eq 0 ]
