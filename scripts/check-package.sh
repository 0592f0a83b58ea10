#!/usr/bin/env bash
# Checks the package the way a plug-in author and a user meet it:
#  - installs everything (libraries, headers, CMake package, template checker, demo
#    host, its plug-in, data, demo project, translations) into a temporary prefix;
#  - builds the two examples (examples/hello-plugin, examples/coverage-check) against
#    that prefix alone with tarsel_add_plugin and runs their tests: the test kit's
#    lifecycle check, and <module>_templates, which must run the installed template
#    checker (Tarsel::TemplateCheck);
#  - installs them into the same prefix and runs the installed demo host (no
#    LD_LIBRARY_PATH, no --plugins or --data), which must load the installed modules
#    from its own plug-in folder with the installed templates and write report PDFs
#    showing each plug-in's results (the coverage check's in German, from its own
#    installed translation);
#  - moves the installed tree elsewhere, where ldd must resolve every dependency of
#    every installed program, library and module, the Tarsel ones inside the tree,
#    and the demo host must write its own plug-in's report for the default project,
#    in German from the installed translations.
# Exits non-zero on the first failure.
#
#   scripts/check-package.sh [BUILD_DIR]
#
# BUILD_DIR is a configured Tarsel build folder; what gets installed is built in it
# when needed. Without it a fresh folder is configured in a temporary place.
# TARSEL_JOBS sets the build's parallel jobs (default 2).
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
# Installed programs must manage without the caller's library path.
isolated() { env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" "$@"; }

build=${1:-}
if [ -z "$build" ]; then
    build=$work/build
    step "configuring a fresh build in $build"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARSEL_BUILD_TESTS=OFF \
        -DTARSEL_BUILD_BENCHMARKS=OFF >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; fail "configure"; }
fi
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder"
build=$(cd "$build" && pwd)

step "building the libraries, the test kit, the template checker and the demo host"
cmake --build "$build" --parallel "$jobs" --target TarselHostLog TarselHostConfig TarselHostCore TarselHostDna \
    TarselHostReport TarselExtension TarselTestKit tarsel-template-check tarsel-demo genotyper translations \
    >"$work/build.log" 2>&1 || { tail -40 "$work/build.log" >&2; fail "building the package"; }

prefix=$work/prefix
step "installing into $prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install"; }
config=$(find "$prefix" -name TarselConfig.cmake -path '*cmake/Tarsel/*' | head -n 1)
[ -n "$config" ] || fail "the package lacks TarselConfig.cmake"
# <libdir>/cmake/Tarsel/TarselConfig.cmake
libdir=$(dirname "$(dirname "$(dirname "$config")")")
for file in include/tarsel/extension/BaseExtension.h include/tarsel/testkit/Lifecycle.h \
    include/tarsel/testkit/TestKitExport.h include/tarsel/testkit/RecordingLogger.h \
    include/tarsel/testkit/WindowView.h "${libdir#"$prefix"/}/libtarsel-testkit.so.1" \
    "${libdir#"$prefix"/}/cmake/Tarsel/TarselPlugin.cmake" bin/tarsel-demo bin/tarsel-template-check \
    "${libdir#"$prefix"/}/tarsel/plugins/genotyper.so"; do
    [ -f "$prefix/$file" ] || fail "the package lacks $file"
done

tarsel_runtime_dir
# example <folder below examples/> <module>: builds it against the prefix alone, runs
# its tests (its template check with the installed checker among them) and installs
# it into the same prefix.
example() {
    local folder=$1 module=$2
    local binary=$work/$folder
    step "building examples/$folder against the installed package"
    # Only the prefix: neither the build tree nor a package registry may stand in for it.
    cmake -S "$root/examples/$folder" -B "$binary" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/$module-configure.log" 2>&1 \
        || { cat "$work/$module-configure.log" >&2; fail "configuring examples/$folder"; }
    found=$(sed -n 's/^Tarsel_DIR:PATH=//p' "$binary/CMakeCache.txt")
    [ "$(dirname "$config")" = "$found" ] || fail "examples/$folder found Tarsel in $found, not in the prefix"
    cmake --build "$binary" --parallel "$jobs" >"$work/$module-build.log" 2>&1 \
        || { tail -40 "$work/$module-build.log" >&2; fail "building examples/$folder"; }
    [ -f "$binary/plugins/$module.so" ] || fail "examples/$folder built no module at $binary/plugins/$module.so"

    step "running the tests of examples/$folder"
    grep -qF "add_test(${module}_templates \"$prefix/bin/tarsel-template-check\"" "$binary/CTestTestfile.cmake" \
        || fail "${module}_templates does not run the installed template checker"
    (cd "$binary" && env -u LD_LIBRARY_PATH ctest --output-on-failure) || fail "the tests of examples/$folder"

    step "installing examples/$folder into the same prefix"
    cmake --install "$binary" --prefix "$prefix" >"$work/$module-install.log" 2>&1 \
        || { cat "$work/$module-install.log" >&2; fail "cmake --install of examples/$folder"; }
    [ -f "$libdir/tarsel/plugins/$module.so" ] || fail "installing examples/$folder gave no $module.so"
}
example hello-plugin hello
[ -f "$prefix/share/tarsel/reports/en/hello/Standard/report.html" ] || fail "the example's template was not installed"
example coverage-check coverage
[ -f "$prefix/share/tarsel/translations/coverage_de.qm" ] || fail "the coverage check's translation was not installed"

# run <demo host> <name> <arguments...>: a headless run from the output folder; the
# modules that could not be loaded are named on the error stream.
run() {
    local program=$1 name=$2
    shift 2
    mkdir -p "$work/out"
    (cd "$work/out" && isolated "$program" "$@") >"$work/$name.out" 2>"$work/$name.err" \
        || { cat "$work/$name.err" >&2; fail "the installed demo host failed ($name)"; }
    if grep -E '(hello|coverage|genotyper)\.so' "$work/$name.err" >&2; then
        fail "the installed demo host could not load all of its plug-ins ($name)"
    fi
    [ "$(head -c 5 "$work/$name.pdf")" = "%PDF-" ] || fail "the demo host wrote no PDF ($name)"
    pdftotext -layout "$work/$name.pdf" "$work/$name.txt" || fail "pdftotext could not read the report ($name)"
}
# expect <name> <text>...: the report's text holds each text.
expect() {
    local name=$1 text
    shift
    for text in "$@"; do
        grep -qF -- "$text" "$work/$name.txt" || {
            cat "$work/$name.txt" >&2
            fail "the report ($name) lacks \"$text\""
        }
    done
}

step "loading the installed example in the installed demo host"
run "$prefix/bin/tarsel-demo" hello --plugin-name Hello --sample 2 --pdf "$work/hello.pdf"
variants=$(grep -vc '^#' "$prefix/share/tarsel/demo/project/samples/DR2612-02.vcf")
expect hello "Variant count report" "Sample DR2612-02" "genome build GRCh38" "$variants variants" "Chromosome" \
    "share/tarsel/demo/project/demo.tproj"

# The second example in German: its own translation, numbers and colour keys.
run "$prefix/bin/tarsel-demo" coverage --plugin-name Coverage --locale de \
    --project "$root/examples/coverage-check/sample/coverage.tproj" --pdf "$work/coverage.pdf"
expect coverage "Abdeckungsbericht" "Geringste Tiefe" "chr1:1200-1215" "nicht abgedeckt" "12,00 unter 20x" "Seite 1 von"

moved=$work/moved
step "moving the installed tree to $moved"
mv "$prefix" "$moved"
libdir=$(realpath "$moved${libdir#"$prefix"}")
while IFS= read -r file; do
    # Only ELF files: programs, libraries, modules.
    [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
    dependencies=$(env -u LD_LIBRARY_PATH ldd "$file") || fail "ldd cannot read $file"
    if grep -F 'not found' <<<"$dependencies" >&2; then
        fail "${file#"$moved"/} has dependencies that are not found"
    fi
    # ldd shows a library as found through the search path ($ORIGIN/../lib/...).
    for library in $(awk '$1 ~ /^libtarsel-/ { print $3 }' <<<"$dependencies"); do
        [ "$(dirname "$(realpath "$library")")" = "$libdir" ] \
            || fail "${file#"$moved"/} takes $(basename "$library") from outside the installed tree: $library"
    done
    checked=$((${checked:-0} + 1))
done < <(find "$moved/bin" "$libdir" -type f)
[ "${checked:-0}" -ge 10 ] || fail "only ${checked:-0} programs, libraries and modules found to check"

step "running the moved demo host with its own plug-in"
run "$moved/bin/tarsel-demo" genotyper --plugin-name Genotyper --locale de --pdf "$work/genotyper.pdf"
# The demo project's selected sample and patient, the German template and page footer.
expect genotyper "Befundbericht" "DR2612-01" "Hofmann Lena Marie" "Seite 1 von"
step "passed: installed package and demo host, out-of-tree plug-in built, tested and installed with" \
    "tarsel_add_plugin, the installed host's reports, a relocatable tree"
