#!/bin/sh
# Fails when a source file includes a header of a layer that it may not use:
# each layer may use only the layers below it (the README's table), and the
# build links it with those alone; this checks the includes too, which the
# linker cannot see for types defined in headers only.
#   scripts/check-layers.sh
set -eu
cd "$(dirname "$0")/.."
allowed() {
    case $1 in
    io | order) echo "" ;;
    index) echo "order" ;;
    store) echo "io index order" ;;
    selection) echo "store io index order" ;;
    output) echo "selection store io index order" ;;
    request) echo "output selection store io index order" ;;
    console) echo "request output selection store io index order" ;;
    exchange) echo "store io index order" ;;
    file_tool) echo "exchange request selection store io index order" ;;
    *) echo "unknown" ;;
    esac
}
status=0
for directory in src/*/; do
    layer=$(basename "$directory")
    uses=$(allowed "$layer")
    if [ "$uses" = unknown ]; then
        echo "$directory: a layer that this check does not know"
        status=1
        continue
    fi
    # The files of the layer, those of each system's own (posix/, windows/)
    # among them.
    for file in $(find "$directory" -name '*.cpp' -o -name '*.hpp'); do
        for used in $(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file" | sort -u); do
            case " $layer $uses " in
            *" $used "*) ;;
            *)
                echo "$file: includes a header of $used, which $layer may not use"
                status=1
                ;;
            esac
        done
    done
done
[ $status -eq 0 ] && echo "layers: every include reaches down"
exit $status
