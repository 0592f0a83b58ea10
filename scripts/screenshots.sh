#!/usr/bin/env bash
# Takes the README's pictures from the real program: the main window in analysis
# mode (under a virtual X server) and the first page of the demo report.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

TARSEL_PACKAGES+=(xvfb xauth)
tarsel_install_packages
tarsel_build build -DTARSEL_BUILD_TESTS=OFF -DTARSEL_BUILD_BENCHMARKS=OFF
tarsel_runtime_dir

out=docs/images
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A private settings folder: the pictures show the defaults, not this machine's choices.
export XDG_CONFIG_HOME=$work/config

xvfb-run -a -s "-screen 0 1280x860x24" \
    build/demo/host/tarsel-demo --gui --analyse --screenshot "$out/analysis-mode.png"

QT_QPA_PLATFORM=offscreen build/demo/host/tarsel-demo --pdf "$work/report.pdf" > /dev/null
pdftoppm -png -r 70 -f 1 -l 1 -singlefile "$work/report.pdf" "$out/report-page"
echo "$out/analysis-mode.png"
echo "$out/report-page.png"
