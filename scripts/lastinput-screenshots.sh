#!/bin/bash
# Screenshots of typed work kept within reach: a ball tip whose "Erstellen" fails (no name, "4x0"
# in L3), the editor opened again for the ball tip with the preview's list of templates open, and
# with its first entry, the last input, chosen. Into docs/screenshots/lastinput_*.png. Runs the
# real program on a virtual X display (Xvfb), German, and operates it with xdotool like an operator.
# Needs: xvfb, xdotool, imagemagick, a debug build. Usage: scripts/lastinput-screenshots.sh [DISPLAY]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
display=${1:-:96}
out="$root/docs/screenshots"
work=$(mktemp -d)
mkdir -p "$work/Messungen"

app=
xvfb=
trap 'kill $app $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
sleep 2
(cd "$work/Messungen" && exec env LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$root/build/debug/app/merivox" >/dev/null 2>&1) &
app=$!
sleep 7 # the splash closes after five seconds

# Places in screen pixels: the editor's client area starts at 116, 86; the selection window's at 286, 210.
declare -A at=(
    [kug]="346 290" [cb_gew]="600 246" [txt_L1]="620 310" [txt_l2]="620 342" [txt_l3]="620 374"
    [txt_d1]="620 438" [txt_d2]="620 470" [txt_kd]="620 502" [Check_SS]="740 182" [Option_RK]="740 278"
    [cmd_load]="800 586" [cmd_abr]="800 618" [vorlage]="1118 144" [first]="1118 144"
)
click() { xdotool mousemove ${at[$1]} click 1; sleep 0.2; }

click kug
sleep 1
for pair in cb_gew=M3 txt_L1=10 txt_l2=15 txt_l3=4x0 txt_d1=4 txt_d2=2 txt_kd=3; do
    click "${pair%%=*}"
    xdotool type --delay 30 "${pair#*=}"
done
click Check_SS
click Option_RK
click cmd_load
for box in name L3; do # the two error boxes, each confirmed with Enter
    sleep 1
    xdotool key Return
done
sleep 1
click kug
sleep 1.5
import -window root -crop 1280x640+0+60 +repage "$out/lastinput_opened.png"
click vorlage # the list opens
sleep 1
sleep 0.5
import -window root -crop 1280x640+0+60 +repage "$out/lastinput_list.png"
click first # its first entry, which the open list lays over the closed one
sleep 0.5
import -window root -crop 1280x640+0+60 +repage "$out/lastinput_chosen.png"
click cmd_abr
