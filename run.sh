#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo host (headless unless --gui).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

tarsel_install_packages
tarsel_build build -DTARSEL_BUILD_TESTS=OFF -DTARSEL_BUILD_BENCHMARKS=OFF
tarsel_runtime_dir

if [[ " $* " != *" --gui "* ]]; then
    export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
exec build/demo/host/tarsel-demo "$@"
