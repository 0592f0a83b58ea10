#!/usr/bin/env bash
# Builds the API documentation (target docs) and fails on any Doxygen warning,
# printing them: an undocumented public or protected member of the plug-in
# headers, a broken reference, an example file the guide includes but cannot find.
# Configures the build folder first when it is not configured or has no docs target.
#   scripts/check-docs.sh [BUILD_DIR]     (default: build-docs)
# The HTML lands in BUILD_DIR/docs/html.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

build=${1:-build-docs}
fail() {
    echo "check-docs: $*" >&2
    exit 1
}

command -v doxygen >/dev/null || fail "doxygen not found (Debian package doxygen)"
# The guide shows the example plug-in's files.
[ -d examples/hello-plugin ] || fail "examples/hello-plugin is missing; the guide docs/writing-a-plugin.md includes its files"

# Doxygen shows nothing, silently, for an excerpt whose \skip, \until or \line text
# is no longer in the example file: check that each is there.
excerpts=()
for page in docs/*.md; do
    number=0
    example=
    while IFS= read -r line; do
        number=$((number + 1))
        case "$line" in
        '\dontinclude '*) example=examples/${line#\\dontinclude } ;;
        '\skip '* | '\skipline '* | '\until '* | '\line '*)
            text=${line#* }
            if [ -z "$example" ] || ! grep -qF -- "$text" "$example"; then
                excerpts+=("$page:$number: warning: '$text' is not in ${example:-any example file}")
            fi
            ;;
        esac
    done <"$page"
done
if [ ${#excerpts[@]} -gt 0 ]; then
    printf '%s\n' "${excerpts[@]}" >&2
    fail "${#excerpts[@]} excerpt(s) no longer match the example files"
fi

log=$(mktemp "${TMPDIR:-/tmp}/tarsel-docs.XXXXXX")
trap 'rm -f "$log"' EXIT

if [ ! -f "$build/CMakeCache.txt" ] || ! grep -q '^TARSEL_BUILD_DOCS:BOOL=ON' "$build/CMakeCache.txt" \
    || [ ! -f "$build/docs/Doxyfile" ]; then
    echo "check-docs: configuring $build" >&2
    cmake -S "$root" -B "$build" -DTARSEL_BUILD_DOCS=ON -DTARSEL_BUILD_TESTS=OFF -DTARSEL_BUILD_BENCHMARKS=OFF \
        >"$log" 2>&1 || { cat "$log" >&2; fail "cannot configure $build"; }
fi

status=0
cmake --build "$build" --target docs >"$log" 2>&1 || status=$?
# Doxygen writes its warnings as "file:line: warning|error: text" (and a few without
# a place); any of them fails the check, also if doxygen itself let them pass.
warnings=$(grep -E '(warning|error): ' "$log" | grep -v '^g\?make' || true)
if [ -n "$warnings" ]; then
    echo "$warnings" >&2
    fail "$(printf '%s\n' "$warnings" | wc -l) Doxygen warning(s)"
fi
if [ "$status" -ne 0 ]; then
    cat "$log" >&2
    fail "building the target docs failed"
fi
echo "check-docs: no warnings; $build/docs/html/index.html" >&2
