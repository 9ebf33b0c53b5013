#!/usr/bin/env bash
# remove-screenshots.sh FILE CONFIRM.png UNDONE.png: the viewer with a copy of FILE open on a virtual
# X server (1024x768, scale 1.25); the second record is chosen and Entf pressed (the confirmation,
# CONFIRM.png), the removal confirmed, then Strg+Z pressed (the window after "Rückgängig",
# UNDONE.png). Uses build/debug/app/viewer/merivox-view (MERIVOX_VIEW=path to use another);
# needs xvfb, xdotool, imagemagick. FILE itself is left as it was.
set -euo pipefail
file=$(realpath "$1")
confirm=$(realpath -m "$2")
undone=$(realpath -m "$3")
cd "$(dirname "$0")/.."
viewer=$(realpath "${MERIVOX_VIEW:-build/debug/app/viewer/merivox-view}")

if [ -z "${MERIVOX_ON_XVFB:-}" ]; then
    exec env MERIVOX_ON_XVFB=1 MERIVOX_VIEW="$viewer" xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$file" "$work/usrprobe.dat"
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1.25
"$viewer" "$work/usrprobe.dat" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Merivox-Betrachter' | head -1)
sleep 1.5
xdotool windowfocus --sync "$window" key Down
sleep 0.5
xdotool key Delete
sleep 1.5
import -window root "$confirm"
xdotool key alt+e
sleep 1.5
xdotool windowfocus --sync "$window" key ctrl+z
sleep 1.5
import -window root "$undone"
kill $pid
