#!/bin/sh
# Wall-time benchmarks of the release build (make build first).
#   scripts/bench.sh insert [COUNT]   COUNT inserts, random and ascending names
#   scripts/bench.sh select [COUNT]   each select strategy and a sorted listing
#                                     into a file, timed inside the process,
#                                     over COUNT records inserted in random order
#   scripts/bench.sh file [COUNT]     DBstore and DBload of COUNT records
# A request's own time is the run with it less the run without it.
set -eu
cd "$(dirname "$0")/.."
recdb=$PWD/build/recdb
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

# COUNT insert lines; names are a letter and a unique number, in random order
# (random) or ascending (ascending).
make_inserts() {
    awk -v n="$1" -v order="$2" 'BEGIN {
        srand(12345);
        for (k = 0; k < n; k++) {
            if (order == "ascending") name = sprintf("r%08d", k);
            else name = sprintf("%c%08d", 97 + int(rand() * 26), k);
            printf "%.9f\tinsert name=%s group=%d rating=%d.%d info=i%d\n", order == "ascending" ? k : rand(),
                   name, int(rand() * 1000), int(rand() * 10), 1 + int(rand() * 9), k;
        }
    }' | sort -n -k1,1 | cut -f2-
}

run_timed() {
    start=$(now)
    (cd "$work" && "$recdb" < "$1" > "$work/out")
    end=$(now)
    elapsed "$start" "$end"
}

case "${1:-}" in
insert)
    count=${2:-100000}
    for order in random ascending; do
        make_inserts "$count" "$order" > "$work/in"
        echo "exit" >> "$work/in"
        echo "$count inserts, $order names: $(run_timed "$work/in") s"
    done
    ;;
select)
    cmake --build build --target recdb_operation_timer > /dev/null
    build/recdb_operation_timer "${2:-1000000}" "$work/listing"
    ;;
file)
    count=${2:-1000000}
    make_inserts "$count" random > "$work/base"
    { cat "$work/base"; echo "exit"; } > "$work/in"
    base=$(run_timed "$work/in")
    { cat "$work/base"; echo "DBstore db"; echo "exit"; } > "$work/in"
    stored=$(run_timed "$work/in")
    echo "DBstore of $count records: $(elapsed "$base" "$stored") s ($(wc -c < "$work/db") bytes)"
    printf 'DBload db\nexit\n' > "$work/in"
    echo "DBload of $count records: $(run_timed "$work/in") s"
    ;;
*)
    echo "usage: $0 insert|select|file [COUNT]" >&2
    exit 2
    ;;
esac
