#!/usr/bin/env bash
# Installs what is missing, builds everything in a fresh folder and runs all tests.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

tarsel_install_packages
rm -rf build-tests
tarsel_build build-tests -DTARSEL_BUILD_TESTS=ON -DTARSEL_BUILD_BENCHMARKS=ON
tarsel_runtime_dir

cd build-tests
ctest --output-on-failure --parallel "$(nproc)"
