#!/bin/sh
# Benchmarks of the release build, on seeded data that the script makes.
#   scripts/bench.sh orders [COUNT]      COUNT records in every order of input,
#                                        each timed and compared with random order
#   scripts/bench.sh sqlite [COUNT]      load, sorted report and inserts of COUNT
#                                        records beside the sqlite3 shell doing
#                                        the same work, with peak memory
#   scripts/bench.sh operations [COUNT]  single operations timed inside the
#                                        process over COUNT records
#   scripts/bench.sh scale [COUNT]       load, selections, sorted reports and
#                                        store of COUNT records, with peak memory
#   scripts/bench.sh names [COUNT]       COUNT removals, selections and replacing
#                                        inserts of one name that all COUNT records
#                                        share, beside names all different
#   scripts/bench.sh file [COUNT]        recdb-file export and import of COUNT
#                                        records beside the sqlite3 shell, and
#                                        the time and peak memory of check and
#                                        export beside DBload of the same file
#   scripts/bench.sh salvage [COUNT] [SEEDS] [DAMAGES]
#                                        the share of records that salvage
#                                        brings back from damaged files
#   scripts/bench.sh wine [COUNT] [LARGE] the Windows build under Wine beside
#                                        the Linux build: loads and sorted
#                                        reports of COUNT and LARGE records,
#                                        recdb-file export and import of COUNT
#   scripts/bench.sh rescue [COUNT] [DAMAGES]
#                                        the time and peak memory of salvage
#                                        of one file of COUNT records damaged
#                                        in DAMAGES places (300,000,000 make
#                                        about 10 GB; it is deleted after)
set -eu
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build
recdb=${RECDB:-$build/recdb}
measure=$build/recdb_measure
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" --target recdb recdb_measure recdb_operation_timer recdb_make_database > /dev/null
cmake --build "$build" --target recdb-file recdb_salvage_measure > /dev/null

# Runs a program on an input file; prints "SECONDS PEAK_KIB".
measured() {
    input=$1
    shift
    (cd "$work" && "$measure" "$input" "$work/out" "$@")
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Insert lines for COUNT records. Names are r00000000 upwards, arriving in
# ORDER: random, ascending, descending, zigzag (lowest and highest remaining
# by turns) or high (one high name first, then ascending). A record's rating
# is one of RATINGS values; groups are the record's number modulo 100.
make_inserts() {
    awk -v n="$1" -v order="$2" -v ratings="$3" 'BEGIN {
        srand(12345);
        for (k = 0; k < n; k++) key[k] = k;
        if (order == "random") {
            for (k = n - 1; k > 0; k--) { j = int(rand() * (k + 1)); t = key[k]; key[k] = key[j]; key[j] = t; }
        } else if (order == "descending") {
            for (k = 0; k < n; k++) key[k] = n - 1 - k;
        } else if (order == "zigzag") {
            low = 0; high = n - 1;
            for (k = 0; k < n; k++) key[k] = k % 2 == 0 ? low++ : high--;
        } else if (order == "high") {
            key[0] = n + 1;
        }
        for (k = 0; k < n; k++) {
            printf "insert name=r%08d group=%d rating=%d.1 info=i%d\n", key[k], key[k] % 100, int(rand() * ratings), k;
        }
    }'
}

# Requests on every name r00000000.. in ascending or descending order.
each_name() {
    awk -v n="$1" -v direction="$2" -v request="$3" 'BEGIN {
        for (k = 0; k < n; k++) {
            key = direction == "descending" ? n - 1 - k : k;
            printf "%s name=r%08d\n", request, key;
        }
    }'
}

repeat_line() {
    awk -v n="$1" -v line="$2" 'BEGIN { for (k = 0; k < n; k++) print line }'
}

orders() {
    count=$1
    make_inserts "$count" random 90 > "$work/random.in"
    echo exit >> "$work/random.in"
    set -- $(measured "$work/random.in" "$recdb")
    base=$1
    printf '%-64s %9s %7s\n' "$count records" "seconds" "ratio"
    printf '%-64s %9s %7s\n' "random names and ratings" "$base" "1.00"
    row() {
        label=$1
        set -- $(measured "$work/case.in" "$recdb")
        printf '%-64s %9s %7s\n' "$label" "$1" "$(ratio "$1" "$base")"
    }
    for case in "ascending 90" "ascending 1" "ascending 2" "ascending 5" "descending 5" "zigzag 5" "high 5"; do
        set -- $case
        make_inserts "$count" "$1" "$2" > "$work/case.in"
        echo exit >> "$work/case.in"
        label="$1 names, $2 distinct ratings"
        [ "$1" = high ] && label="one high name, then ascending names, $2 ratings"
        row "$label"
    done
    make_inserts "$count" ascending 5 > "$work/ascending.in"
    { cat "$work/ascending.in"; each_name "$count" ascending remove; echo exit; } > "$work/case.in"
    row "ascending inserts, then removal of every name ascending"
    { cat "$work/ascending.in"; each_name "$count" descending remove; echo exit; } > "$work/case.in"
    row "ascending inserts, then removal of every name descending"
    { cat "$work/ascending.in"; make_inserts "$count" descending 5; echo exit; } > "$work/case.in"
    row "ascending inserts, then re-insertion of every name descending"
    deepest=$(printf 'r%08d' $((count - 1)))
    { cat "$work/ascending.in"; repeat_line "$count" "select name=$deepest"; echo exit; } > "$work/case.in"
    row "ascending inserts, then $count selects of the deepest name"
    { cat "$work/ascending.in"; repeat_line "$count" "select name=r00000001x"; echo exit; } > "$work/case.in"
    row "ascending inserts, then $count selects of a missing name"
    { cat "$work/ascending.in"; echo "DBstore ascending.db"; echo exit; } > "$work/case.in"
    measured "$work/case.in" "$recdb" > /dev/null
    printf 'DBload ascending.db\nexit\n' > "$work/case.in"
    row "DBload of a file of ascending names, 5 ratings"
}

# COUNT records with random, different names of 6 to 12 letters, groups 0..999, about 90
# distinct ratings and an info text on 70 %: as recdb insert lines, as CSV
# for sqlite3 (name, group, the two rating numbers, the rating as a number,
# info), as SQL inserts, and as CSV for recdb-file import (name, group,
# rating, info).
make_records() {
    awk -v n="$1" -v inserts="$work/records.in" -v csv="$work/records.csv" -v sql="$work/records.sql" \
        -v filecsv="$work/file.csv" 'BEGIN {
        srand(20261207);
        print "BEGIN;" > sql;
        print "name,group,rating,info" > filecsv;
        for (k = 0; k < n; k++) {
            do {
                length_ = 6 + int(rand() * 7);
                name = "";
                for (c = 0; c < length_; c++) name = name sprintf("%c", 97 + int(rand() * 26));
            } while (name in seen);
            seen[name] = 1;
            group = int(rand() * 1000);
            num = int(rand() * 10);
            den = 1 + int(rand() * 9);
            info = rand() < 0.7 ? sprintf("note%d", int(rand() * 100000)) : "";
            has = info != "";
            printf "insert name=%s group=%d rating=%d.%d%s\n", name, group, num, den, has ? " info=" info : "" > inserts;
            printf "%s,%d,%d,%d,%.9f,%s\n", name, group, num, den, num / den, info > csv;
            printf "%s,%d,%d.%d,%s\n", name, group, num, den, info > filecsv;
            printf "INSERT OR REPLACE INTO records VALUES('"'"'%s'"'"',%d,%d,%d,%.9f,%s);\n", name, group, num, den, num / den, has ? "'"'"'" info "'"'"'" : "NULL" > sql;
        }
        print "COMMIT;" > sql;
    }'
}

sqlite_schema='CREATE TABLE records(name TEXT PRIMARY KEY, grp INTEGER, num INTEGER, den INTEGER, rating REAL, info TEXT);
CREATE INDEX by_group ON records(grp);
CREATE INDEX by_rating ON records(rating, name);'

sqlite() {
    count=$1
    make_records "$count"
    { cat "$work/records.in"; echo "DBstore records.db"; echo exit; } > "$work/inserts.in"
    set -- $(measured "$work/inserts.in" "$recdb")
    inserts_seconds=$1
    printf 'DBload records.db\nexit\n' > "$work/load.in"
    set -- $(measured "$work/load.in" "$recdb")
    load_seconds=$1
    load_kib=$2
    printf 'DBload records.db\nselect\nfileprint name group rating info sort name end report.txt\nexit\n' > "$work/report.in"
    set -- $(measured "$work/report.in" "$recdb")
    report_seconds=$1
    echo "$count records, $(wc -c < "$work/records.db") bytes in the database file"
    if ! command -v sqlite3 > /dev/null 2>&1; then
        echo "sqlite3 is not installed: the comparison is skipped"
        printf '%-58s %9s\n' "work" "recdb"
        printf '%-58s %9s\n' "DBload" "$load_seconds s"
        printf '%-58s %9s\n' "DBload, select, fileprint sorted by name" "$report_seconds s"
        printf '%-58s %9s\n' "$count insert lines" "$inserts_seconds s"
        printf '%-58s %9s\n' "peak memory of the load" "$((load_kib / 1024)) MiB"
        return
    fi
    printf '%s\n.mode csv\n.import records.csv records\n' "$sqlite_schema" > "$work/import.sql"
    set -- $(measured "$work/import.sql" sqlite3 :memory:)
    sqlite_load=$1
    sqlite_kib=$2
    { cat "$work/import.sql"; printf '.mode list\n.separator "\\t"\n.output sorted.txt\n'
      echo "SELECT name, grp, num || '.' || den, info FROM records ORDER BY name;"; } > "$work/sorted.sql"
    set -- $(measured "$work/sorted.sql" sqlite3 :memory:)
    sqlite_report=$1
    { echo "$sqlite_schema"; cat "$work/records.sql"; } > "$work/inserts.sql"
    set -- $(measured "$work/inserts.sql" sqlite3 :memory:)
    sqlite_inserts=$1
    printf '%-58s %9s %9s %7s\n' "work (sqlite3 $(sqlite3 --version | cut -d' ' -f1))" "recdb" "sqlite3" "ratio"
    printf '%-58s %9s %9s %7s\n' "DBload (sqlite3: .import with 3 indexes)" "$load_seconds" "$sqlite_load" \
        "$(ratio "$load_seconds" "$sqlite_load")"
    printf '%-58s %9s %9s %7s\n' "DBload, select, fileprint by name (sqlite3: ORDER BY)" "$report_seconds" \
        "$sqlite_report" "$(ratio "$report_seconds" "$sqlite_report")"
    printf '%-58s %9s %9s %7s\n' "$count insert lines (sqlite3: one transaction)" "$inserts_seconds" \
        "$sqlite_inserts" "$(ratio "$inserts_seconds" "$sqlite_inserts")"
    printf '%-58s %9s %9s %7s\n' "peak memory of the load, MiB" "$((load_kib / 1024))" "$((sqlite_kib / 1024))" \
        "$(ratio "$load_kib" "$sqlite_kib")"
}

# Seconds and peak memory of request scripts over one database file of COUNT
# records (random names, groups 0..999, about 90 ratings, info on 70 %): each
# row runs from the start, so the rows after the first show what their last
# requests add.
scale() {
    count=$1
    "$build/recdb_make_database" "$count" "$work/scale.db"
    echo "$count records, $(wc -c < "$work/scale.db") bytes in the database file"
    printf '%-52s %9s %9s %9s\n' "requests" "seconds" "peak MiB" "B/record"
    row() {
        label=$1
        shift
        printf '%s\n' "$@" exit > "$work/case.in"
        set -- $(measured "$work/case.in" "$recdb")
        printf '%-52s %9s %9s %9s\n' "$label" "$1" "$(($2 / 1024))" \
            "$(awk -v k="$2" -v n="$count" 'BEGIN { printf "%.1f", k * 1024 / n }')"
    }
    load="DBload scale.db"
    row "DBload" "$load"
    row "DBload, select a tenth" "$load" "select group=100-199"
    row "DBload, select a tenth, report sorted by name" "$load" "select group=100-199" \
        "fileprint name group rating info sort name end tenth.txt"
    row "DBload, select all" "$load" "select"
    row "DBload, select all, report sorted by rating" "$load" "select" \
        "fileprint name group rating info sort rating end all.txt"
    row "DBload, DBstore" "$load" "DBstore stored.db"
}

# One name held by every record against names all different: COUNT requests
# of each kind after a load of COUNT records.
names() {
    count=$1
    "$build/recdb_make_database" "$count" "$work/same.db" same
    "$build/recdb_make_database" "$count" "$work/different.db"
    # The different names, in file order, for requests that each meet one.
    printf 'DBload different.db\nselect\nfileprint name end names.txt\nexit\n' > "$work/case.in"
    measured "$work/case.in" "$recdb" > /dev/null
    printf '%-40s %14s %14s %7s\n' "$count records, then $count requests" "all different" "one name" "ratio"
    # row LABEL VERB SUFFIX: the request "VERB name=NAME SUFFIX" for each name.
    row() {
        { echo "DBload different.db"; sed "s/\t*\$//; s/^/$2 name=/; s/\$/$3/" "$work/names.txt"; echo exit; } \
            > "$work/case.in"
        set -- "$@" $(measured "$work/case.in" "$recdb")
        different=$4
        { echo "DBload same.db"; awk -v n="$count" -v r="$2 name=same$3" 'BEGIN { for (k = 0; k < n; k++) print r }'
          echo exit; } > "$work/case.in"
        set -- "$@" $(measured "$work/case.in" "$recdb")
        printf '%-40s %14s %14s %7s\n' "$1" "$different" "$6" "$(ratio "$6" "$different")"
    }
    row "remove name=X" remove ""
    row "select name=X" select ""
    row "insert name=X ... (replacing)" insert " group=1 rating=1.2 info=new"
}

# Runs measured RUNS times (3 unless set) and prints the fastest run's
# "SECONDS PEAK_KIB": on a machine that others share, the slower runs are
# the ones that waited.
fastest() {
    k=0
    while [ "$k" -lt "${RUNS:-3}" ]; do
        measured "$@"
        k=$((k + 1))
    done | sort -n | head -1
}

file_bench() {
    count=$1
    tool=$build/recdb-file
    make_records "$count"
    set -- $(fastest /dev/null "$tool" import file.csv records.db)
    import_seconds=$1 import_kib=$2
    # Both programs export to standard output, which the measuring tool
    # sends to a file.
    set -- $(fastest /dev/null "$tool" export records.db)
    export_seconds=$1 export_kib=$2
    "$tool" export "$work/records.db" > "$work/exported.csv"
    cmp -s "$work/file.csv" "$work/exported.csv" || echo "warning: the export differs from the imported CSV"
    set -- $(fastest /dev/null "$tool" check records.db)
    check_seconds=$1 check_kib=$2
    printf 'DBload records.db\nexit\n' > "$work/load.in"
    set -- $(fastest "$work/load.in" "$recdb")
    load_seconds=$1 load_kib=$2
    echo "$count records, $(wc -c < "$work/records.db") bytes in the database file; the fastest of ${RUNS:-3} runs"
    row() { printf '%-44s %11s %11s %7s\n' "$@"; }
    if ! command -v sqlite3 > /dev/null 2>&1; then
        echo "sqlite3 is not installed: the comparison is skipped"
        row "work" "recdb-file" "" ""
        row "import (csv), s" "$import_seconds" "" ""
        row "export (csv), s" "$export_seconds" "" ""
    else
        printf '%s\n.import --csv records.csv records\n' "$sqlite_schema" > "$work/import.sql"
        set -- $(fastest "$work/import.sql" sh -c 'rm -f records.sqlite && exec sqlite3 records.sqlite')
        sqlite_import=$1 sqlite_import_kib=$2
        printf '.headers on\n.mode csv\nSELECT name, grp AS "group", num || %s || den AS rating, info FROM records;\n' \
            "'.'" > "$work/export.sql"
        set -- $(fastest "$work/export.sql" sqlite3 records.sqlite)
        sqlite_export=$1 sqlite_export_kib=$2
        row "work (sqlite3 $(sqlite3 --version | cut -d' ' -f1))" "recdb-file" "sqlite3" "ratio"
        row "import (csv; sqlite3: .import, 3 indexes), s" "$import_seconds" "$sqlite_import" \
            "$(ratio "$import_seconds" "$sqlite_import")"
        row "export (csv; sqlite3: .mode csv), s" "$export_seconds" "$sqlite_export" \
            "$(ratio "$export_seconds" "$sqlite_export")"
        row "peak memory of import, MiB" "$((import_kib / 1024))" "$((sqlite_import_kib / 1024))" \
            "$(ratio "$import_kib" "$sqlite_import_kib")"
        row "peak memory of export, MiB" "$((export_kib / 1024))" "$((sqlite_export_kib / 1024))" \
            "$(ratio "$export_kib" "$sqlite_export_kib")"
    fi
    row "check, s (recdb: DBload)" "$check_seconds" "$load_seconds" "$(ratio "$check_seconds" "$load_seconds")"
    row "peak memory of check, MiB (recdb: DBload)" "$((check_kib / 1024))" "$((load_kib / 1024))" \
        "$(ratio "$check_kib" "$load_kib")"
}

# Salvage of one large damaged file, written to /dev/null so that the disk
# holds one file of that size only.
rescue() {
    count=$1
    "$build/recdb_make_database" "$count" "$work/large.db"
    "$build/recdb_salvage_measure" damage "$work/large.db" "$2"
    echo "$count records damaged in $2 places, $(wc -c < "$work/large.db") bytes"
    set -- $(measured /dev/null "$build/recdb-file" salvage large.db /dev/null)
    rm -f "$work/large.db"
    echo "salvage: $1 s, peak $(($2 / 1024)) MiB"
    tail -1 "$work/out"
}

# The Windows build under Wine beside the Linux build, in the same run on
# the same files; each time the fastest of RUNS (3 unless set). A Wine
# server is kept running meanwhile, as a Windows machine keeps its system
# running: the first row shows what starting a program costs.
wine_bench() {
    count=$1
    large=$2
    windows=$root/build-windows
    cmake -S . -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
        > /dev/null
    cmake --build "$windows" --target recdb recdb-file > /dev/null
    wine="$root/scripts/wine-run $windows/wine"
    wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    # The first run makes the prefix; its server is waited for, and one that
    # stays is started in its place.
    $wine "$windows/recdb.exe" < /dev/null > /dev/null
    WINEPREFIX=$windows/wine "$wineserver" -w
    WINEPREFIX=$windows/wine "$wineserver" -p
    trap 'WINEPREFIX=$windows/wine "$wineserver" -k; rm -rf "$work"' EXIT
    printf '%-52s %9s %9s %7s\n' "work (seconds)" "Linux" "Wine" "ratio"
    # row LABEL INPUT PROGRAM [ARGUMENT...]: the Linux build's PROGRAM, then
    # the Windows build's under Wine.
    row() {
        label=$1 input=$2 program=$3
        shift 3
        linux=$(fastest "$input" "$build/$program" "$@" | cut -d' ' -f1)
        windows_seconds=$(fastest "$input" $wine "$windows/$program.exe" "$@" | cut -d' ' -f1)
        printf '%-52s %9s %9s %7s\n' "$label" "$linux" "$windows_seconds" "$(ratio "$windows_seconds" "$linux")"
    }
    printf 'exit\n' > "$work/exit.in"
    row "start and exit" "$work/exit.in" recdb
    for records in "$count" "$large"; do
        "$build/recdb_make_database" "$records" "$work/scale.db"
        printf 'DBload scale.db\nexit\n' > "$work/load.in"
        row "DBload, $records records" "$work/load.in" recdb
        printf 'DBload scale.db\nselect\nfileprint name group rating info sort name end all.txt\nexit\n' \
            > "$work/report.in"
        row "DBload, select, report sorted by name, $records" "$work/report.in" recdb
    done
    make_records "$count"
    "$build/recdb-file" import "$work/file.csv" "$work/records.db"
    row "recdb-file export (CSV), $count records" /dev/null recdb-file export records.db
    row "recdb-file import (CSV), $count records" /dev/null recdb-file import file.csv imported.db
}

case "${1:-}" in
orders)
    orders "${2:-100000}"
    ;;
sqlite)
    sqlite "${2:-1000000}"
    ;;
operations)
    "$build/recdb_operation_timer" "${2:-1000000}" "$work"
    ;;
scale)
    scale "${2:-1000000}"
    ;;
names)
    names "${2:-40000}"
    ;;
file)
    file_bench "${2:-1000000}"
    ;;
salvage)
    "$build/recdb_salvage_measure" "${2:-100000}" "${3:-5}" "${4:-20}"
    ;;
wine)
    wine_bench "${2:-1000000}" "${3:-10000000}"
    ;;
rescue)
    rescue "${2:-300000000}" "${3:-100}"
    ;;
*)
    echo "usage: $0 orders|sqlite|operations|scale|names|file|salvage|rescue|wine [COUNT]" >&2
    exit 2
    ;;
esac
