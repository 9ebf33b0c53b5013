#!/usr/bin/env bash
# Peak memory (VmHWM) of the program once the ball editor has opened, against a bare QWidget
# window built the same way (bench/bare_window), both shown on one virtual X server in the same
# run. Prints both figures in kB and their ratio. The editor's preview window opens with the
# editor, so the figure includes it.
# Usage: scripts/measure-memory.sh [build dir] [usrprobe.dat]   (default build/release, which must
# hold the targets merivox and bare_window; needs xvfb and xdotool). A usrprobe.dat given is copied
# into the program's working folder first, so the figure includes the preview's reading of it (the
# figure is taken once the preview has read it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
file=${2:+$(realpath "$2")}

if [ -z "${MERIVOX_ON_XVFB:-}" ]; then
    exec env MERIVOX_ON_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" $file
fi
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_ACCESSIBILITY

peak() { awk '/^VmHWM/ {print $2}' "/proc/$1/status"; }
wait_for() { timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -1; }

"$build/bench/bare_window" &
bare=$!
wait_for '^bare$' >/dev/null
sleep 1
bare_kb=$(peak $bare)
kill $bare

workdir=$(mktemp -d)
if [ -n "$file" ]; then
    cp "$file" "$workdir/usrprobe.dat"
fi
cd "$workdir"
"$build/app/merivox" &
program=$!
selection=$(wait_for '^Auswahlfenster$') # after the five seconds of the splash
sleep 0.5
# The ball button (cmd_kug): 57 x 65 pixels at 32, 48 in the selection window.
xdotool mousemove --window "$selection" 60 80 click 1
wait_for '^Merivox$' >/dev/null
sleep 1
# The preview reads the file in the background; its peak is reached once it has been read.
if [ -n "$file" ]; then
    sleep "${MERIVOX_READ_WAIT:-3}"
fi
program_kb=$(peak $program)
kill $program
cd - >/dev/null
rm -rf "$workdir"

echo "bare QWidget window: VmHWM ${bare_kb} kB"
echo "merivox, ball editor open${file:+ with $(stat -c %s "$file") bytes of usrprobe.dat}: VmHWM ${program_kb} kB"
awk -v p="$program_kb" -v b="$bare_kb" 'BEGIN { printf "ratio: %.3f\n", p / b }'
