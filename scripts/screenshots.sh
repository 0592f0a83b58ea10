#!/usr/bin/env bash
# Takes the README's pictures from the real program: the window's walkthrough (the
# GUI test, on a virtual X server) photographs each step, and the first page of the
# demo report comes from its PDF.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

TARSEL_PACKAGES+=(xvfb xauth)
tarsel_install_packages
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARSEL_BUILD_TESTS=ON -DTARSEL_BUILD_BENCHMARKS=OFF >&2
cmake --build build --parallel "$(nproc)" --target tarsel-demo genotyper tst_GuiWalkthrough >&2
tarsel_runtime_dir

out=docs/images
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A private settings folder: the pictures show the defaults, not this machine's choices.
export XDG_CONFIG_HOME=$work/config

TARSEL_SCREENSHOT_DIR=$work/steps QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1100x760x24" \
    build/tests/demo/host/tst_GuiWalkthrough >&2
cp "$work/steps/3-second-sample.png" "$out/analysis-mode.png"
cp "$work/steps/4-data-dialog.png" "$out/data-dialog.png"
cp "$work/steps/5-print-preview.png" "$out/print-preview.png"

QT_QPA_PLATFORM=offscreen build/demo/host/tarsel-demo --pdf "$work/report.pdf" > /dev/null
pdftoppm -png -r 70 -f 1 -l 1 -singlefile "$work/report.pdf" "$out/report-page"
ls "$out"/*.png
