#!/usr/bin/env bash
# Screenshots of the running program on a virtual X server, for docs/screenshots:
#   scripts/screenshots.sh editor KIND OUT.png [WxH] [SCALE]   the editor of one kind (kug, zyl, wuerf,
#                                                              sph, disk, ver), the whole screen
#   scripts/screenshots.sh drives OUT-closed.png OUT-open.png    the ball editor's drive list, closed and open
#                                                              (TMPDIR=/dev/shm: the program starts on another volume)
# Uses build/release/app/merivox (MERIVOX=path to use another); needs xvfb, xdotool, imagemagick.
set -euo pipefail
out_dir=$(pwd)
cd "$(dirname "$0")/.."
program=$(realpath "${MERIVOX:-build/release/app/merivox}")
out() { case "$1" in /*) echo "$1" ;; *) echo "$out_dir/$1" ;; esac; }

if [ -z "${MERIVOX_ON_XVFB:-}" ]; then
    size=1280x1024
    [ "$1" = editor ] && size=${4:-1280x1024}
    cd "$out_dir"
    exec env MERIVOX_ON_XVFB=1 MERIVOX="$program" xvfb-run -a -s "-screen 0 ${size}x24" "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb
[ "$1" = editor ] && export QT_SCALE_FACTOR=${5:-1}
scale=${QT_SCALE_FACTOR:-1}
at() { awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", v * s }'; }
wait_for() { timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -1; }

workdir=$(mktemp -d)
cd "$workdir"
"$program" &
program_pid=$!
selection=$(wait_for '^Auswahlfenster$')
sleep 0.5
# Centres of the kind buttons in the selection window, in logical pixels.
declare -A button=([kug]="60 80" [zyl]="188 80" [wuerf]="312 80" [sph]="60 216" [disk]="188 216" [ver]="312 216")
kind=kug
[ "$1" = editor ] && kind=$2
read -r x y <<<"${button[$kind]}"
xdotool mousemove --window "$selection" "$(at "$x")" "$(at "$y")" click 1
editor=$(wait_for '^Merivox$')
sleep 1
if [ "$1" = editor ]; then
    import -window root "$(out "$3")"
else
    import -window "$editor" -crop "$(at 200)x$(at 130)+$(at 577)+$(at 230)" +repage "$(out "$2")"
    xdotool mousemove --window "$editor" "$(at 628)" "$(at 282)" click 1 # the drive list
    sleep 1
    import -window root "$workdir/root.png"
    geometry=$(xdotool getwindowgeometry "$editor" | awk '/Position/ { split($2, p, ","); print p[1], p[2] }')
    read -r ex ey <<<"$geometry"
    convert "$workdir/root.png" -crop "$(at 260)x$(at 200)+$((ex + $(at 577)))+$((ey + $(at 230)))" +repage "$(out "$3")"
fi
kill $program_pid
rm -rf "$workdir"
