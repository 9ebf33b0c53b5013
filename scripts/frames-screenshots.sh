#!/bin/bash
# Screenshots of whole windows with their title bars under a real window manager (openbox) on a
# 1024x768 screen: the editor with its preview, which shows notes on the file and on the record
# above the whole record text; and the viewer with a file. Into docs/screenshots/frames_*.png.
# Needs: xvfb, openbox, xdotool, imagemagick, a debug build. Usage: scripts/frames-screenshots.sh [DISPLAY]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
display=${1:-:95}
out="$root/docs/screenshots"
work=$(mktemp -d)
mkdir -p "$work/Messungen"
# A record named as the one typed in below: the preview notes that the file holds it already.
printf 'ITEM:TasterMM M3\r\nbegintip\r\nribcount 10\r\nColor 142 142 142\r\ncylinder 0 0 0 0 0 -10 4\r\ncone 0 0 -10 4 0 0 -15 2\r\ncylinder 0 0 -15 0 0 -40 2\r\nColor 255 0 0\r\nsphere 0 0 -40 3\r\nhotspot 0 0 -40 0 0 1 3 3 ball\r\nendtip\r\n' \
    >"$work/Messungen/usrprobe.dat"

app='' xvfb='' wm=''
trap 'kill $app $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 2
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1

window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -1; }
# at WINDOW X Y: a click at a place of the window's client area
at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
type_into() { at "$1" "$2" "$3"; xdotool type --delay 30 "$4"; }

(cd "$work/Messungen" && exec env LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$root/build/debug/app/merivox" >/dev/null 2>&1) &
app=$!
sleep 7 # the splash closes after five seconds
at "$(window '^Auswahlfenster$')" 60 80 # the ball
sleep 1
editor=$(window '^Merivox$')
# Name, thread, L1, L2, L3, D1, D2 and a ball of 1,5: L3 shorter than L2, the ball no wider than the shaft.
type_into "$editor" 504 130 Taster
type_into "$editor" 484 160 M3
for f in "224 10" "256 40" "288 15" "352 4" "384 2" "416 1,5"; do
    type_into "$editor" 504 "${f% *}" "${f#* }"
done
at "$editor" 624 96  # Check_SS
at "$editor" 624 192 # Option_RK
sleep 1.5
import -window root "$out/frames_editor_preview_1024x768.png"
kill $app
wait $app 2>/dev/null || true

"$root/build/debug/app/viewer/merivox-view" "$work/Messungen/usrprobe.dat" >/dev/null 2>&1 &
app=$!
window '^usrprobe.dat' >/dev/null
sleep 1.5
import -window root "$out/frames_viewer_1024x768.png"
