#!/usr/bin/env bash
# Builds everything with gcov instrumentation in build-coverage/, runs all tests and
# prints the line coverage of the production code (extension/, host/, demo/), each
# folder and in all. Run on demand, not in CI: it is a third build.
#   scripts/coverage.sh [BUILD_DIR]
# The lcov data stays in BUILD_DIR/coverage.info (genhtml turns it into pages).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

folder=${1:-build-coverage}
TARSEL_PACKAGES+=(lcov)
tarsel_install_packages
tarsel_runtime_dir

flags="--coverage -fprofile-update=atomic"
cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Debug -DTARSEL_BUILD_TESTS=ON -DTARSEL_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
    -DCMAKE_MODULE_LINKER_FLAGS=--coverage >&2
cmake --build "$folder" --parallel "$(nproc)" >&2

root=$(pwd)
lcov --quiet --zerocounters --directory "$folder"
# A failing test still counts for what it ran; the normal suite says whether it passes.
(cd "$folder" && ctest --parallel "$(nproc)" >&2) || echo "coverage.sh: some tests failed" >&2
lcov --quiet --capture --directory "$folder" --base-directory "$root" --output-file "$folder/all.info" \
    --rc lcov_branch_coverage=0 2>/dev/null
lcov --quiet --extract "$folder/all.info" "$root/extension/*" "$root/host/*" "$root/demo/*" \
    --output-file "$folder/coverage.info"

# Lines found and hit per folder, from the tracefile's SF/LF/LH records.
awk -v root="$root/" '
    /^SF:/ { file = substr($0, 4); sub(root, "", file); split(file, part, "/"); top = part[1] }
    /^LF:/ { found[top] += substr($0, 4); allFound += substr($0, 4) }
    /^LH:/ { hit[top] += substr($0, 4); allHit += substr($0, 4) }
    END {
        for (top in found)
            printf "%-10s %6.1f %%  (%d of %d lines)\n", top, 100 * hit[top] / found[top], hit[top], found[top]
        printf "%-10s %6.1f %%  (%d of %d lines)\n", "all", 100 * allHit / allFound, allHit, allFound
    }' "$folder/coverage.info" | sort
