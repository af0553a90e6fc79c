#!/usr/bin/env bash
# Draws the program's layer structure from its includes: one line per pair of folders that
# one includes from the other, with the number of includes. Fails when an arrow runs up the
# layers (a folder including one listed after it below): then there can be no cycle either.
# The build refuses such an include already; this shows the whole picture at once.
set -euo pipefail
cd "$(dirname "$0")/.."

# Lowest first. adapters/ and databases/ stand beside the logic: only ui/ and app/ use them.
layers=(core link image flash config workflow station databases adapters ui app)

git ls-files '*.cpp' '*.h' | grep -E "^($(IFS='|'; echo "${layers[*]}"))/" |
    xargs grep -H -o '^#include "[a-z_]*/' |
    sed -E 's#^([a-z_]+)/[^:]*:\#include "([a-z_]+)/#\1 \2#' |
    awk -v order="${layers[*]}" '
        BEGIN { n = split(order, names, " "); for (i = 1; i <= n; i++) rank[names[i]] = i }
        $1 != $2 { count[$1 " -> " $2]++; if (!($2 in rank) || rank[$2] > rank[$1]) bad[$1 " -> " $2] = 1 }
        END {
            for (edge in count) printf "%-22s %3d%s\n", edge, count[edge], (edge in bad) ? "  UPWARD" : ""
            for (edge in bad) status = 1
            exit status
        }' | sort
