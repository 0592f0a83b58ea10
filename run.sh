#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo host: headless by default it
# analyses the demo project and writes the report PDF into the current folder,
# printing its path last; --gui opens the window. Other options go to the host
# (run.sh --help lists them).
set -euo pipefail
here=$PWD
cd "$(dirname "$0")"
root=$PWD
source scripts/common.sh

tarsel_install_packages
tarsel_build build -DTARSEL_BUILD_TESTS=OFF -DTARSEL_BUILD_BENCHMARKS=OFF
tarsel_runtime_dir

if [[ " $* " != *" --gui "* ]]; then
    export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
cd "$here"
exec "$root/build/demo/host/tarsel-demo" "$@"
