#!/bin/bash
# Pictures of a catalogue at 80 dpi: its first page (title block and overview) and the page of a
# record with a problem, made from the reader's sample files put together (balls, a half sphere, a
# cube (a flat one, as the fuzzer keeps it), an extension, a record run into the line before it, a
# name and thread twice). Into
# docs/screenshots/catalogue_*.png. Needs a debug build and pdftoppm (poppler-utils); no display.
# Usage: scripts/catalogue-screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/docs/screenshots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus="$root/tests/fuzz/corpus"
cat "$corpus/ball.dat" "$corpus/halfsphere.dat" "$corpus/cube.dat" "$corpus/extension.dat" \
    "$corpus/runtogether.dat" "$corpus/twins.dat" >"$work/usrprobe.dat"
QT_QPA_PLATFORM=offscreen "$root/build/debug/app/viewer/merivox-view" --pdf "$work/katalog.pdf" "$work/usrprobe.dat"
pdftoppm -r 80 -png -f 1 -l 1 -singlefile "$work/katalog.pdf" "$out/catalogue_overview"
# The first record page whose text names a problem of its record.
pages=$(pdfinfo "$work/katalog.pdf" | awk '/^Pages:/ { print $2 }')
for ((page = 2; page <= pages; page++)); do
    if pdftotext -f "$page" -l "$page" "$work/katalog.pdf" - | grep -q 'Probleme dieses Eintrags'; then
        pdftoppm -r 80 -png -f "$page" -l "$page" -singlefile "$work/katalog.pdf" "$out/catalogue_record_problem"
        exit 0
    fi
done
echo "no record page names a problem" >&2
exit 1
