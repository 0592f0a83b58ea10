#!/usr/bin/env bash
# Installs what is missing, builds everything in a fresh folder and runs all tests.
#   ./test.sh             the normal build, in build-tests/
#   ./test.sh --sanitize  with AddressSanitizer, UndefinedBehaviorSanitizer and
#                         LeakSanitizer (clang), in build-sanitize/, with the fuzz targets
#                         (run them with fuzz/run)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

folder=build-tests
options=(-DTARSEL_BUILD_TESTS=ON -DTARSEL_BUILD_BENCHMARKS=ON)
# The window's walkthrough runs on a virtual X server.
TARSEL_PACKAGES+=(xvfb xauth)
# The archive PDFs are linted with qpdf --check (and poppler's tools, installed for
# every run); the structured results are validated against the FHIR schema.
TARSEL_PACKAGES+=(qpdf python3 python3-jsonschema)
if [ "${1:-}" = "--sanitize" ]; then
    folder=build-sanitize
    TARSEL_PACKAGES+=(clang libclang-rt-14-dev)
    options=(-DTARSEL_BUILD_TESTS=ON -DTARSEL_BUILD_BENCHMARKS=OFF -DTARSEL_SANITIZE=ON -DTARSEL_BUILD_FUZZERS=ON
             -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    tarsel_sanitizer_environment
    # Every round of the kill-mid-save tests starts a child; the normal run does 100
    # per file, the much slower sanitized one enough to cover the code.
    export TARSEL_KILL_ROUNDS=20
elif [ $# -gt 0 ]; then
    echo "usage: ./test.sh [--sanitize]" >&2
    exit 2
fi

tarsel_install_packages
rm -rf "$folder"
tarsel_fetch_fhir_schema "$folder/fhir-schema"
tarsel_build "$folder" "${options[@]}"
tarsel_runtime_dir

cd "$folder"
ctest --output-on-failure --parallel "$(nproc)"
