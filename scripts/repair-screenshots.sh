#!/usr/bin/env bash
# repair-screenshots.sh: the viewer on a file with a stray note line and an item line run into the
# line before it, on a virtual X server (1024x768): the note line's context menu
# (viewer_repair_menu_stray.png); a problem clicked (its line chosen in the
# record's text) and its context menu open (docs/screenshots/viewer_repair_menu.png), then Entf
# there and the question before the split (viewer_repair_question.png).
# Shares its set-up with history-screenshots.sh (screenshot-common.sh).
set -euo pipefail
source "$(dirname "$0")/screenshot-common.sh"
{
    record Taster1 3 $'\r\n'
    printf 'Notiz vom 3.12.\r\n'
    record Taster2 3 '' # its line end lost: the next item line runs into its endtip
    record Taster3 3 $'\r\n'
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
