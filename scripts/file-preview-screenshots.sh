#!/bin/bash
# Screenshots of the preview that knows usrprobe.dat: the note for a name and thread that the file
# holds already (1280x1024), and a 1024x768 screen under a real window manager (openbox) after the
# editor was clicked: the preview stays above its editor; and a template chosen from the file with F6
# and the arrow key, the editor filled from it. Into docs/screenshots/file_preview_*.png. Then
# "Erstellen" with that name and thread: the question before a second entry of the same name
# (editor_duplicate_question.png), with its title bar under openbox.
# Needs: xvfb, xdotool, imagemagick, openbox, a debug build. Usage: scripts/file-preview-screenshots.sh [DISPLAY]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
display=${1:-:96}
out="$root/docs/screenshots"
work=$(mktemp -d)
mkdir -p "$work/Messungen"
printf 'ITEM:TIPMM M3\r\nbegintip\r\nribcount 10\r\nColor 142 142 142\r\ncylinder 0 0 0 0 0 -10 4\r\ncone 0 0 -10 4 0 0 -15 2\r\ncylinder 0 0 -15 0 0 -40 2\r\nColor 255 0 0\r\nsphere 0 0 -40 3\r\nhotspot 0 0 -40 0 0 1 3 3 ball\r\nendtip\r\n' \
    >"$work/Messungen/usrprobe.dat"
# A second ball, written on a German system: the template for the third screenshot.
printf 'ITEM:K2X30MM M2\r\nbegintip\r\nribcount 10\r\nColor 250 235 215\r\ncylinder 0 0 0 0 0 -8 3\r\ncone 0 0 -8 3 0 0 -12 1,5\r\ncylinder 0 0 -12 0 0 -30 1,5\r\nColor 47 79 79\r\nsphere 0 0 -30 2,5\r\nhotspot 0 0 -30 0 0 1 2,5 2,5 ball\r\nendtip\r\n' \
    >>"$work/Messungen/usrprobe.dat"

app= xvfb= wm=
trap 'kill $app $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
# start WIDTHxHEIGHT [wm]: a fresh display with the program on it, at its selection window.
start() {
    kill $app $wm $xvfb 2>/dev/null || true
    sleep 1
    Xvfb "$display" -screen 0 "$1x24" >/dev/null 2>&1 &
    xvfb=$!
    sleep 2
    if [ -n "${2:-}" ]; then
        openbox >/dev/null 2>&1 &
        wm=$!
        sleep 1
    fi
    (cd "$work/Messungen" && exec env LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$root/build/debug/app/merivox" >/dev/null 2>&1) &
    app=$!
    sleep 7 # the splash closes after five seconds
}
window() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
# at WINDOW X Y: a click at a place of the window's client area
at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
type_into() { at "$1" "$2" "$3"; xdotool type --delay 30 "$4"; }
# The ball editor, filled in as the file's TIP with M3; places in the editor's client area.
ball() {
    at "$(window '^Auswahlfenster$')" 60 80
    sleep 1
    editor=$(window '^Merivox$')
    type_into "$editor" 504 130 TIP
    type_into "$editor" 484 160 M3
    for f in "224 10" "256 15" "288 40" "352 4" "384 2" "416 3"; do
        set -- $f
        type_into "$editor" 504 "$1" "$2"
    done
    at "$editor" 624 96  # Check_SS
    at "$editor" 624 192 # Option_RK
    sleep 1
}

start 1280x1024
ball
import -window root -crop 1280x640+0+60 +repage "$out/file_preview_duplicate.png"

start 1024x768 openbox
ball
at "$editor" 504 130 # the editor clicked: it is active, the preview stays above it
sleep 1
import -window root "$out/file_preview_1024x768_openbox.png"
xprop -id "$(timeout 5 xdotool search --onlyvisible --name 'Vorschau' | head -1)" WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE >"$work/props.txt" || true
cat "$work/props.txt"

start 1280x1024
at "$(window '^Auswahlfenster$')" 60 80
sleep 1
editor=$(window '^Merivox$')
type_into "$editor" 504 130 K2X35
xdotool key F6 # to the template list
sleep 0.5
xdotool key Down Down # the second entry, K2X30
sleep 1
import -window root -crop 1280x640+0+60 +repage "$out/file_preview_template.png"

# "Erstellen" on the name and thread that the file holds: the question, with its title bar,
# answered with Esc.
start 1280x1024 openbox
ball
at "$editor" 684 500 # cmd_load
sleep 1.5
import -window root -crop 1280x640+0+60 +repage "$out/editor_duplicate_question.png"
xdotool key Escape # "Abbrechen": nothing written, no success box, the editor closes
sleep 1.5
[ "$(grep -c 'ITEM:' "$work/Messungen/usrprobe.dat")" = 2 ] || { echo 'a record was appended after "Abbrechen"' >&2; exit 1; }
