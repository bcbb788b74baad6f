#!/bin/sh
# Builds every test with coverage counters, runs them, and prints the line
# and branch coverage of each layer (the folders of src/). With a floor, as
# LINES BRANCHES in percent, fails when the whole falls below either.
#   scripts/coverage.sh BUILD_DIRECTORY [LINE_FLOOR BRANCH_FLOOR]
set -eu
cd "$(dirname "$0")/.."
build=$1
line_floor=${2:-0}
branch_floor=${3:-0}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRECDB_COVERAGE=ON > /dev/null
cmake --build "$build" > /dev/null
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j "$(nproc 2>/dev/null || echo 2)" > "$build/coverage-tests.log" || {
    tail -30 "$build/coverage-tests.log"
    exit 1
}
# Branches that only the compiler made (exception paths of calls that cannot
# throw) are left out, so that the figure counts the code's own decisions.
gcovr --root . --filter 'src/' --exclude-throw-branches --exclude-unreachable-branches \
    --json-summary "$build/coverage.json" "$build" > /dev/null
# Headers are reached through the layers' include roots in the build
# directory, which link to src: each file is counted under the layer of the
# path the links lead to.
python3 - "$build/coverage.json" "$line_floor" "$branch_floor" <<'PYTHON'
import json, os, sys
summary = json.load(open(sys.argv[1]))
layers = {}
for entry in summary["files"]:
    parts = os.path.relpath(os.path.realpath(entry["filename"])).split(os.sep)
    layer = parts[1] if len(parts) > 2 else "main"
    totals = layers.setdefault(layer, [0, 0, 0, 0])
    totals[0] += entry["line_covered"]
    totals[1] += entry["line_total"]
    totals[2] += entry["branch_covered"]
    totals[3] += entry["branch_total"]
def percent(covered, total):
    return 100.0 * covered / total if total else 100.0
print(f"{'layer':<12} {'lines':>16} {'branches':>16}")
whole = [0, 0, 0, 0]
for layer in sorted(layers):
    t = layers[layer]
    whole = [a + b for a, b in zip(whole, t)]
    print(f"{layer:<12} {percent(t[0], t[1]):6.1f} % of {t[1]:>5} {percent(t[2], t[3]):6.1f} % of {t[3]:>5}")
lines, branches = percent(whole[0], whole[1]), percent(whole[2], whole[3])
print(f"{'all':<12} {lines:6.1f} % of {whole[1]:>5} {branches:6.1f} % of {whole[3]:>5}")
line_floor, branch_floor = float(sys.argv[2]), float(sys.argv[3])
if lines < line_floor or branches < branch_floor:
    print(f"coverage below the floor of {line_floor} % of lines and {branch_floor} % of branches")
    sys.exit(1)
PYTHON
