#!/usr/bin/env bash
# Screenshot of the installer's start-menu entries under Wine: installs the installer that
# scripts/package-windows.sh built into a fresh Wine prefix, opens Wine's desktop with its
# taskbar on a virtual screen and opens Start > Programs > Merivox.
#
#   scripts/windows-startmenu-screenshot.sh [OUT.png]   (default docs/screenshots/wine_start_menu.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshots/wine_start_menu.png}")
installer=$(ls build/windows-cross/merivox-*-win64.exe | head -1)
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wine" ] || { wine=wine; wineserver=wineserver; }
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/merivox-startmenu.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() { "$wineserver" -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
trap cleanup EXIT
export DISPLAY=$display
sleep 1
"$wine" wineboot --init </dev/null >/dev/null 2>&1
"$wineserver" -w
"$wine" "$installer" /S </dev/null >/dev/null 2>&1
"$wineserver" -w
# A desktop named "shell" has Wine's taskbar with a start menu built from the start-menu folders.
"$wine" explorer /desktop=shell,1024x768 </dev/null >/dev/null 2>&1 &
sleep 6
xdotool mousemove 25 757 click 1   # Start
sleep 1.5
xdotool mousemove 45 695           # Programs
sleep 1.5
xdotool mousemove 130 695          # Merivox
sleep 1.5
# The lower left corner, where the menu opens.
import -window root -crop 420x120+0+648 +repage "$out"
echo "Wrote $out"
