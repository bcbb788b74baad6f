#!/bin/sh
# export --where and --sort against the console: on random databases (few
# names, groups and ratings, so that names repeat and sorts meet ties) and
# random conditions, recdb's select then print must list exactly the rows
# that recdb-file export writes, in the same order.
#   tests/file_tool/where_test.sh PATH_TO_RECDB PATH_TO_RECDB_FILE [DATABASES] [CONDITIONS]
set -u
recdb=$(realpath "$1")
tool=$(realpath "$2")
databases=${3:-40}
conditions=${4:-25}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
compared=0
nonEmpty=0

# Random records: names n0..n9 (a few with "x" inside), groups 0..6,
# ratings whose fractions are often equal (1.2 and 2.4), info on some.
make_database() {
    awk -v seed="$1" 'BEGIN {
        srand(seed)
        print "name,group,rating,info"
        count = 1 + int(rand() * 120)
        for (k = 0; k < count; k++) {
            name = "n" int(rand() * 10) (rand() < 0.2 ? "x" int(rand() * 3) : "")
            scale = 1 + int(rand() * 3)
            rating = (int(rand() * 4) * scale) "." (int(rand() * 3) * scale)
            printf "%s,%d,%s,%s\n", name, int(rand() * 7), rating, rand() < 0.5 ? "i" k : ""
        }
    }' < /dev/null > db.csv
    "$tool" -q import db.csv db.db
}

# Random conditions as a user types them, spaces doubled at times.
make_conditions() {
    awk -v seed="$1" 'BEGIN {
        srand(seed)
        out = ""
        if (rand() < 0.5) {
            r = rand()
            name = r < 0.4 ? "n" int(rand() * 10) : r < 0.6 ? "n" int(rand() * 10) "*" : r < 0.8 ? "*x*" : "*" int(rand() * 3)
            out = out " name=" name
        }
        if (rand() < 0.4) {
            low = int(rand() * 6)
            out = out (rand() < 0.5 ? " group=" low : " group=" low "-" (low + int(rand() * 3)))
        }
        if (rand() < 0.5) {
            low = int(rand() * 4) "." int(rand() * 3)
            r = rand()
            out = out (r < 0.4 ? " rating=" low : r < 0.7 ? " rating=" low "-*" : " rating=" low "-" int(rand() * 6) "." int(rand() * 3))
        }
        if (rand() < 0.2) out = out "  "
        print out
    }' < /dev/null
}

# The rows of export's TSV output as print shows them: " > " before each,
# an absent info empty.
as_printed() {
    tail -n +2 | sed -e 's/^/ > /' -e 's/\\N$//'
}

database=1
while [ "$database" -le "$databases" ]; do
    make_database "$database"
    condition=1
    while [ "$condition" -le "$conditions" ]; do
        where=$(make_conditions "$((database * 1000 + condition))")
        for sort in "" name group rating; do
            printf 'DBload db.db\nselect%s\nprint name group rating info%s\n' "$where" "${sort:+ sort $sort}" |
                "$recdb" | sed -n 's/^>* *\(> \)/ \1/p' > console.txt
            # Every other condition reads the file from a pipe, which cannot
            # be read twice.
            input=db.db
            [ $((condition % 2)) -eq 0 ] && input=/dev/stdin
            if [ -n "$sort" ]; then
                cat db.db | "$tool" -q export --format tsv --where "$where" --sort "$sort" "$input" > export.tsv
            else
                cat db.db | "$tool" -q export --format tsv --where "$where" "$input" > export.tsv
            fi
            as_printed < export.tsv > exported.txt
            # Without --sort export keeps file order, where select may not.
            if [ -z "$sort" ]; then
                sort console.txt > console.sorted && mv console.sorted console.txt
                sort exported.txt > exported.sorted && mv exported.sorted exported.txt
            fi
            compared=$((compared + 1))
            [ -s console.txt ] && nonEmpty=$((nonEmpty + 1))
            if ! cmp -s console.txt exported.txt; then
                failures=$((failures + 1))
                echo "FAILED: database $database, select$where${sort:+, sort $sort}"
                diff console.txt exported.txt | head -10
            fi
        done
        condition=$((condition + 1))
    done
    database=$((database + 1))
done
echo "$compared selections compared over $databases databases ($nonEmpty not empty): $failures differ"
[ "$failures" -eq 0 ] && [ "$nonEmpty" -gt 0 ]
