#!/bin/bash
# The data sheet of a 0,3 mm ball on a 50 mm stylus (the record that the editor builds for it on a
# German system), written by merivox-view --pdf without a display and rendered by pdftoppm into
# docs/screenshots/datasheet_small_ball.png. Needs a debug build and poppler-utils.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\r\n' 'ITEM:MikrotasterMM M2' begintip 'ribcount 10' 'Color 142 142 142' 'cylinder 0 0 0 0 0 -10 3' \
    'cone 0 0 -10 3 0 0 -20 0,2' 'cylinder 0 0 -20 0 0 -50 0,2' 'Color 255 0 0' 'sphere 0 0 -50 0,3' \
    'hotspot 0 0 -50 0 0 1 0,3 0,3 ball' endtip > "$work/usrprobe.dat"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work" \
    "$root/build/debug/app/viewer/merivox-view" --pdf "$work/Datenblatt.pdf" 5 "$work/usrprobe.dat"
pdftoppm -r 100 -png -singlefile "$work/Datenblatt.pdf" "$root/docs/screenshots/datasheet_small_ball"
