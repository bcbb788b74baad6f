#!/bin/sh
# Wall-time benchmarks of the release build (make build first).
#   scripts/bench.sh insert [COUNT]   COUNT inserts, random and ascending names
#   scripts/bench.sh operations [COUNT]
#       timed inside the process over COUNT records inserted in random order:
#       each select strategy, a sorted listing into a file, DBstore, DBload
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
operations)
    cmake --build build --target recdb_operation_timer > /dev/null
    build/recdb_operation_timer "${2:-1000000}" "$work"
    ;;
*)
    echo "usage: $0 insert|operations [COUNT]" >&2
    exit 2
    ;;
esac
