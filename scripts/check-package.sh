#!/usr/bin/env bash
# Checks the package the way a plug-in author meets it: installs the libraries
# into a temporary prefix (cmake --install), builds examples/hello-plugin against
# that prefix alone, runs its tests (the test kit's lifecycle check among them),
# and loads its module in the demo host headless, which must write a report PDF
# showing the plug-in's results. Exits non-zero on the first failure.
#
#   scripts/check-package.sh [BUILD_DIR]
#
# BUILD_DIR is a configured Tarsel build folder; the libraries and the demo host
# are built in it when needed. Without it a fresh folder is configured in a
# temporary place. TARSEL_JOBS sets the build's parallel jobs (default 2).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/common.sh

jobs=${TARSEL_JOBS:-2}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarsel-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

step() { echo "check-package: $*" >&2; }
fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}

build=${1:-}
if [ -z "$build" ]; then
    build=$work/build
    step "configuring a fresh build in $build"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARSEL_BUILD_TESTS=OFF \
        -DTARSEL_BUILD_BENCHMARKS=OFF >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; fail "configure"; }
fi
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder"
build=$(cd "$build" && pwd)

step "building the libraries, the test kit and the demo host"
cmake --build "$build" --parallel "$jobs" --target TarselHostLog TarselHostConfig TarselHostCore TarselHostDna \
    TarselHostReport TarselExtension TarselTestKit tarsel-demo >"$work/build.log" 2>&1 \
    || { tail -40 "$work/build.log" >&2; fail "building the package"; }

prefix=$work/prefix
step "installing into $prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install"; }
for file in include/tarsel/extension/BaseExtension.h include/tarsel/testkit/Lifecycle.h \
    include/tarsel/testkit/TestKitExport.h include/tarsel/testkit/RecordingLogger.h \
    include/tarsel/testkit/WindowView.h; do
    [ -f "$prefix/$file" ] || fail "the package lacks $file"
done
config=$(find "$prefix" -name TarselConfig.cmake -path '*cmake/Tarsel/*' | head -n 1)
[ -n "$config" ] || fail "the package lacks TarselConfig.cmake"
ls "$prefix"/lib*/libtarsel-testkit.so.1 "$prefix"/lib*/*/libtarsel-testkit.so.1 >/dev/null 2>&1 \
    || find "$prefix" -name 'libtarsel-testkit.so.1' | grep -q . || fail "the package lacks libtarsel-testkit.so.1"

hello=$work/hello
step "building examples/hello-plugin against the installed package"
# Only the prefix: neither the build tree nor a package registry may stand in for it.
cmake -S "$root/examples/hello-plugin" -B "$hello" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/hello-configure.log" 2>&1 \
    || { cat "$work/hello-configure.log" >&2; fail "configuring examples/hello-plugin"; }
found=$(sed -n 's/^Tarsel_DIR:PATH=//p' "$hello/CMakeCache.txt")
[ "$(dirname "$config")" = "$found" ] || fail "examples/hello-plugin found Tarsel in $found, not in the prefix"
cmake --build "$hello" --parallel "$jobs" >"$work/hello-build.log" 2>&1 \
    || { tail -40 "$work/hello-build.log" >&2; fail "building examples/hello-plugin"; }

step "running the example's tests"
tarsel_runtime_dir
(cd "$hello" && ctest --output-on-failure) || fail "the example's tests"

step "loading the example in the demo host"
module=$hello/plugins/hello.so
[ -f "$module" ] || fail "the example built no module at $module"
pdf=$work/hello.pdf
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work/config "$build/demo/host/tarsel-demo" \
    --plugins "$hello/plugins" --plugin-name Hello --data "$root/examples/hello-plugin/data" \
    --project "$root/demo/data/project/demo.tproj" --sample 2 --pdf "$pdf" >"$work/demo.out" 2>"$work/demo.err" \
    || { cat "$work/demo.err" >&2; fail "the demo host could not analyse with the example"; }
[ "$(head -c 5 "$pdf")" = "%PDF-" ] || fail "the demo host wrote no PDF"
pdftotext -layout "$pdf" "$work/hello.txt" || fail "pdftotext could not read the report"
variants=$(grep -vc '^#' "$root/demo/data/project/samples/DR2612-02.vcf")
for text in "Variant count report" "Sample DR2612-02" "genome build GRCh38" "$variants variants" "Chromosome"; do
    grep -qF "$text" "$work/hello.txt" || {
        cat "$work/hello.txt" >&2
        fail "the report lacks \"$text\""
    }
done
step "passed: installed package, out-of-tree plug-in, its tests, and the demo host's PDF"
