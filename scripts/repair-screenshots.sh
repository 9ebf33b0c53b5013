#!/usr/bin/env bash
# repair-screenshots.sh: the viewer on a file with a stray note line and an item line run into the
# line before it, on a virtual X server (1024x768): the note line's context menu
# (viewer_repair_menu_stray.png); a problem clicked (its line chosen in the
# record's text) and its context menu open (docs/screenshots/viewer_repair_menu.png), then Entf
# there and the question before the split (viewer_repair_question.png). Uses
# build/debug/app/viewer/merivox-view; needs xvfb, xdotool, imagemagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/docs/screenshots"
viewer="$root/build/debug/app/viewer/merivox-view"
if [ -z "${MERIVOX_ON_XVFB:-}" ]; then
    exec env MERIVOX_ON_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
record() {
    printf 'ITEM:%sMM M3\r\nbegintip\r\nribcount 10\r\nColor 142 142 142\r\ncylinder 0 0 0 0 0 -10 4\r\n' "$1"
    printf 'cone 0 0 -10 4 0 0 -15 2\r\ncylinder 0 0 -15 0 0 -40 2\r\nColor 255 0 0\r\nsphere 0 0 -40 3\r\n'
    printf 'hotspot 0 0 -40 0 0 1 3 3 ball\r\nendtip%s' "$2"
}
{
    record Taster1 $'\r\n'
    printf 'Notiz vom 3.12.\r\n'
    record Taster2 '' # its line end lost: the next item line runs into its endtip
    record Taster3 $'\r\n'
} >"$work/usrprobe.dat"

export QT_QPA_PLATFORM=xcb
"$viewer" "$work/usrprobe.dat" >/dev/null 2>&1 &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Merivox-Betrachter' | head -1)
sleep 2
# The first problem, the note line: its context menu offers to take it out.
xdotool mousemove --window "$window" 60 527 click 1
sleep 0.7
xdotool mousemove --window "$window" 60 527 click 3
sleep 1
import -window root "$out/viewer_repair_menu_stray.png"
xdotool key Escape
sleep 0.5
# The second problem in the list "Probleme und Hinweise": the run-together line.
xdotool mousemove --window "$window" 60 541 click 1
sleep 0.7
xdotool mousemove --window "$window" 60 541 click 3
sleep 1
import -window root "$out/viewer_repair_menu.png"
xdotool key Escape
sleep 0.5
xdotool key Delete
sleep 1.5
import -window root "$out/viewer_repair_question.png"
kill $pid
