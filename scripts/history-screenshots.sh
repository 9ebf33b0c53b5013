#!/usr/bin/env bash
# history-screenshots.sh: the viewer's list of removed records on a virtual X server (1024x768).
# The file holds K1, Z1 and H1; Z1 is removed, a second station appends S1, S1 is removed again
# (the case in which the .bak alone no longer holds Z1). The list "Entfernte Einträge"
# (docs/screenshots/viewer_history.png), then Z1 chosen and "Wiederherstellen" pressed: the
# window with Z1 back at its old place (viewer_history_restored.png).
# Shares its set-up with repair-screenshots.sh (screenshot-common.sh).
set -euo pipefail
source "$(dirname "$0")/screenshot-common.sh"
file="$work/usrprobe.dat"
{ record K1 3 $'\r\n'; record Z1 2 $'\r\n'; record H1 1.5 $'\r\n'; } >"$file"
"$viewer" --remove 12 "$file"
record S1 4 $'\r\n' >>"$file"
"$viewer" --remove 23 "$file"
"$viewer" --history "$file"

export QT_QPA_PLATFORM=xcb
"$viewer" "$file" >/dev/null 2>&1 &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Merivox-Betrachter' | head -1)
sleep 2
xdotool windowfocus --sync "$window" key alt+b
sleep 0.5
xdotool key f
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name 'Entfernte Einträge' | head -1)
sleep 1
import -window root "$out/viewer_history.png"
# Z1 is the older of the two: the second row.
xdotool windowfocus --sync "$dialog" key Down
sleep 0.3
xdotool key alt+w
sleep 1.5
import -window root "$out/viewer_history_restored.png"
kill $pid
