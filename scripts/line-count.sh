#!/usr/bin/env bash
# Counts the C++ lines that are neither blank nor only a comment: tests are the files
# under any tests/ folder, code every other C++ file outside bench/, fuzz/ and the
# build folders. Prints both and their ratio (we aim for 0.25 to 0.35).
#   scripts/line-count.sh [-v]    -v: each file too, the largest first
set -euo pipefail
cd "$(dirname "$0")/.."

files=$(find . \( -path './build*' -o -path './.git' -o -path './bench' -o -path './fuzz' \) -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' \) -print | sort)
# shellcheck disable=SC2086
awk '
    FNR == 1 { block = 0 }
    {
        line = $0
        gsub(/^[ \t]+|[ \t]+$/, "", line)
        if (block) {
            if (index(line, "*/") == 0) next
            block = 0
            line = substr(line, index(line, "*/") + 2)
            gsub(/^[ \t]+/, "", line)
        }
        if (line == "" || line ~ /^\/\//) next
        if (line ~ /^\/\*/) {
            if (index(line, "*/") == 0) { block = 1; next }
            rest = substr(line, index(line, "*/") + 2)
            gsub(/^[ \t]+/, "", rest)
            if (rest == "") next
        }
        count[FILENAME]++
        if (FILENAME ~ /(^|\/)tests\//) tests++; else code++
    }
    END {
        printf "tests %d, code %d, ratio %.3f\n", tests, code, tests / code
        if (verbose)
            for (file in count) printf "%6d %s\n", count[file], substr(file, 3) | "sort -rn"
    }' verbose="$([ "${1:-}" = "-v" ] && echo 1 || echo 0)" $files
