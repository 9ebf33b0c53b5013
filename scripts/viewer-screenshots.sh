#!/usr/bin/env bash
# viewer-screenshots.sh OUT.png FILE [WxH] [SCALE]: the viewer with FILE open on a virtual X server
# of that size (default 1024x768) and scale factor (default 1.25), the whole screen.
# Uses build/debug/app/viewer/merivox-view (MERIVOX_VIEW=path to use another); needs xvfb,
# xdotool, imagemagick.
set -euo pipefail
out=$(realpath -m "$1")
file=$(realpath "$2")
size=${3:-1024x768}
cd "$(dirname "$0")/.."
viewer=$(realpath "${MERIVOX_VIEW:-build/debug/app/viewer/merivox-view}")

if [ -z "${MERIVOX_ON_XVFB:-}" ]; then
    exec env MERIVOX_ON_XVFB=1 MERIVOX_VIEW="$viewer" xvfb-run -a -s "-screen 0 ${size}x24" "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=${4:-1.25}
"$viewer" "$file" &
pid=$!
timeout 30 xdotool search --sync --onlyvisible --name 'Merivox-Betrachter' >/dev/null
sleep 1.5
import -window root "$out"
kill $pid
