#!/usr/bin/env bash
# Tells whether the translations keep up with the sources. Runs lupdate over the
# sources into a temporary copy of each .ts file (translations/*.ts, or the files
# given) and fails, listing the entries, when an entry is
#   unfinished - its translation is marked unfinished or empty,
#   missing    - a source text has no entry in the .ts yet,
#   vanished   - the entry's text is gone from the sources (vanished or obsolete).
# Changes nothing in the tree. lupdate is taken from $LUPDATE, else from the path.
#   scripts/check-translations.sh [file.ts...]
set -euo pipefail

files=()
for file in "$@"; do
    files+=("$(realpath "$file")")
done
cd "$(dirname "$0")/.."
if [ ${#files[@]} -eq 0 ]; then
    files=(translations/*.ts)
fi

# The folders whose texts are translated; tests and sample data are not.
sources=(common extension host demo/host demo/plugin)

lupdate=${LUPDATE:-}
if [ -z "$lupdate" ]; then
    lupdate=$(command -v lupdate || command -v /usr/lib/qt5/bin/lupdate || true)
fi
if [ -z "$lupdate" ] || [ ! -x "$lupdate" ]; then
    echo "check-translations: lupdate not found (Debian package qttools5-dev-tools)" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One line per message of a .ts file: its state, a tab, its source text (XML-escaped,
# line breaks written as \n).
entries() {
    awk '
        /<message[ >]/ { inside = 1; text = "" }
        inside { text = text $0 "\n" }
        /<\/message>/ {
            inside = 0
            source = text
            if (!sub(/^.*<source>/, "", source)) next
            sub(/<\/source>.*$/, "", source)
            gsub(/\n/, "\\n", source)
            state = "finished"
            if (match(text, /<translation[^>]*type="[a-z]+"/)) {
                state = substr(text, RSTART, RLENGTH)
                sub(/^.*type="/, "", state)
                sub(/"$/, "", state)
            }
            if (state == "finished" && text ~ /<translation[^>]*(\/>|><\/translation>)/)
                state = "unfinished"
            print state "\t" source
        }
    ' "$1"
}

status=0
for ts in "${files[@]}"; do
    name=$(basename "$ts")
    copy=$work/$name
    cp "$ts" "$copy"
    if ! "$lupdate" -locations none -no-ui-lines "${sources[@]}" -ts "$copy" >"$work/lupdate.log" 2>&1; then
        echo "$ts: lupdate failed:" >&2
        cat "$work/lupdate.log" >&2
        status=1
        continue
    fi

    entries "$ts" | cut -f2 | sort -u >"$work/known"
    entries "$copy" >"$work/updated"
    problems=$(awk -F'\t' '
        FILENAME == ARGV[1] { known[$0] = 1; next }
        $1 == "unfinished" && !($2 in known) { print "missing:    " $2; next }
        $1 == "unfinished" { print "unfinished: " $2; next }
        $1 == "vanished" || $1 == "obsolete" { print "vanished:   " $2 }
    ' "$work/known" "$work/updated")
    if [ -n "$problems" ]; then
        echo "$ts: $(printf '%s\n' "$problems" | wc -l) entries need work" \
             "(update with: lupdate -locations none -no-ui-lines ${sources[*]} -ts translations/$name)" >&2
        printf '%s\n' "$problems" | sort | sed 's/^/  /' >&2
        status=1
    else
        echo "$ts: $(grep -c . "$work/updated") entries, all translated"
    fi
done
exit $status
