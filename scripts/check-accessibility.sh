#!/usr/bin/env bash
# Starts the program on a virtual X server with the accessibility bridge on, waits for the
# selection window after the splash, opens the ball editor and lists, as a screen reader sees
# them through AT-SPI, every control of both windows and those without a name.
# Usage: scripts/check-accessibility.sh [path/to/merivox]   (needs xvfb, dbus, at-spi2-core,
# python3-pyatspi)
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/debug/app/merivox}")
here=$(pwd)

if [ -z "${MERIVOX_IN_SESSION:-}" ]; then
    exec env MERIVOX_IN_SESSION=1 xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$program"
fi

/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
sleep 1
workdir=$(mktemp -d)
cd "$workdir"
QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$program" &
app=$!
sleep 6 # the splash closes after 5 seconds and opens the selection window
status=0
/usr/bin/python3 "$here/scripts/atspi-walk.py" open-ball || status=$?
kill "$app" "$launcher" 2>/dev/null || true
wait "$app" 2>/dev/null || true
rm -rf "$workdir"
exit $status
