#!/usr/bin/env bash
# frames_on_screen.sh MERIVOX MERIVOX_VIEW: opens every kind of window of both programs under a
# real window manager (openbox on Xvfb), at 1024x768 and at 1280x1024, and checks that each
# window's whole frame, title bar included, lies on the screen, and that the selection window and
# the editor stand at their fixed places wherever their frames fit there. The frame is read from
# the window manager's frame window, the client's ancestor just below the root window.
# Exit code 77 (skipped) only where Xvfb or openbox is not installed.
set -euo pipefail
merivox=$(realpath "$1")
viewer=$(realpath "$2")

for tool in Xvfb openbox; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
for tool in xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb='' wm='' app=''
cleanup() {
    for pid in $app $wm $xvfb; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$work/runtime" "$work/Messungen" && chmod 700 "$work/runtime"
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_QPA_PLATFORMTHEME
printf 'ITEM:TIPMM M3\r\nbegintip\r\nribcount 10\r\nColor 142 142 142\r\ncylinder 0 0 0 0 0 -10 4\r\ncone 0 0 -10 4 0 0 -15 2\r\ncylinder 0 0 -15 0 0 -40 2\r\nColor 255 0 0\r\nsphere 0 0 -40 3\r\nhotspot 0 0 -40 0 0 1 3 3 ball\r\nendtip\r\n' \
    >"$work/Messungen/usrprobe.dat"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# waitfor SECONDS COMMAND...: runs the command every 0.1 s until it succeeds.
waitfor() {
    local tries=$(($1 * 10))
    shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}

# start WIDTHxHEIGHT: a fresh display of that size with openbox managing it.
start_display() {
    for pid in $app $wm $xvfb; do kill "$pid" 2>/dev/null || true; done
    app='' wm=''
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    waitfor 10 test -s "$work/display" || { echo "Xvfb did not start" >&2; exit 1; }
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
    screen_w=${1%x*} screen_h=${1#*x}
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    waitfor 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        { echo "openbox did not start" >&2; exit 1; }
}

# field WINDOW NAME: one number that xwininfo reports for the window ("Absolute upper-left X", ...).
field() { xwininfo -id "$1" 2>/dev/null | sed -n "s/^ *$2: *//p"; }

# The window manager's frame around a client window: its ancestor just below the root window.
frame_of() {
    local window=$1 parent
    while parent=$(xwininfo -id "$window" -tree | sed -n 's/^ *Parent window id: //p') &&
        [ -n "$parent" ] && [ "${parent#*(the root window)}" = "$parent" ]; do
        window=${parent%% *}
    done
    echo "$window"
}

# visible_windows: the program's mapped top-level windows (those the window manager framed).
visible_windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | sort || true; }

# new_window SECONDS TITLE KNOWN...: waits for a window of the program with that title (a pattern,
# * for any) that is not among KNOWN. Short-lived windows (a tip, a list) are not what is looked for.
new_window() {
    local seconds=$1 title=$2 tries window name
    shift 2
    tries=$((seconds * 10))
    while [ $tries -gt 0 ]; do
        for window in $(visible_windows); do
            case " $* " in *" $window "*) continue ;; esac
            name=$(xdotool getwindowname "$window" 2>/dev/null) || continue
            # shellcheck disable=SC2254 # the title is a pattern
            case $name in $title) echo "$window"; return 0 ;; esac
        done
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

# check NAME WINDOW [X Y]: the window's whole frame is on the screen; with X Y, its client area's
# top-left corner is there wherever the frame fits at that place. A decorated window must have a
# title bar above its client area, or no window manager framed it and nothing was checked.
check() {
    local name=$1 window=$2 decorated=${5:-yes}
    # The window manager frames and places a window a moment after it is mapped, and the program
    # corrects the place once it knows the frame: wait until the frame stands still.
    local before='' now='' frame tries=50
    while [ $tries -gt 0 ]; do
        frame=$(frame_of "$window")
        now="$(field "$frame" 'Absolute upper-left X') $(field "$frame" 'Absolute upper-left Y')"
        now="$now $(field "$frame" Width) $(field "$frame" Height)"
        now="$now $(field "$window" 'Absolute upper-left X') $(field "$window" 'Absolute upper-left Y')"
        [ "$now" = "$before" ] && break
        before=$now
        sleep 0.3
        tries=$((tries - 1))
    done
    read -r fx fy fw fh cx cy <<<"$now"
    if [ -z "$cy" ]; then
        fail "$name: its window could not be measured"
        return 0
    fi
    echo "$screen_w x $screen_h: $name: frame ${fw}x${fh}+${fx}+${fy}, client at $cx,$cy"
    if [ "$decorated" = yes ] && [ "$fy" -ge "$cy" ]; then
        fail "$name: no title bar above the client area (frame at $fy, client at $cy): no window manager frame"
    fi
    if [ "$fx" -lt 0 ] || [ "$fy" -lt 0 ] || [ $((fx + fw)) -gt "$screen_w" ] || [ $((fy + fh)) -gt "$screen_h" ]; then
        fail "$name: frame ${fw}x${fh}+${fx}+${fy} is not wholly on the screen of ${screen_w}x${screen_h}"
    fi
    if [ $# -ge 4 ] && [ -n "$3" ]; then
        local left=$((cx - fx)) top=$((cy - fy))
        local px=$(($3 - left)) py=$(($4 - top))
        if [ $px -ge 0 ] && [ $py -ge 0 ] && [ $((px + fw)) -le "$screen_w" ] && [ $((py + fh)) -le "$screen_h" ] &&
            { [ "$cx" -ne "$3" ] || [ "$cy" -ne "$4" ]; }; then
            fail "$name: client area at $cx,$cy instead of its place $3,$4, where its frame fits"
        fi
    fi
    frame_x=$fx frame_w=$fw client_x=$cx # for the checks that follow
}

for size in 1024x768 1280x1024; do
    start_display "$size"

    (cd "$work/Messungen" && exec "$merivox") >/dev/null 2>&1 &
    app=$!
    splash=$(new_window 20 '*') || { fail "$size: no splash window"; continue; }
    check splash "$splash" "" "" no
    # The selection window follows the splash after five seconds; its client area at 4290, 3150 twips.
    selection=$(new_window 20 Auswahlfenster) || { fail "$size: no selection window"; continue; }
    check "selection window" "$selection" 286 210
    # The first kind button; the editor at 1740, 1290 twips and the preview beside it.
    xdotool mousemove --window "$selection" 60 80 click 1
    editor=$(new_window 20 Merivox "$splash") || { fail "$size: no editor"; continue; }
    check editor "$editor" 116 86
    editor_frame_right=$((frame_x + frame_w)) inputs_left=$((client_x + 296))
    preview=$(new_window 20 '*Vorschau') || { fail "$size: no preview"; continue; }
    check preview "$preview"
    # Beside the editor, or over its drawing only: never over an input or a button.
    if [ $((frame_x + frame_w)) -gt "$inputs_left" ] && [ "$frame_x" -lt "$editor_frame_right" ]; then
        fail "preview: frame from $frame_x to $((frame_x + frame_w)) covers the editor's inputs from $inputs_left"
    fi
    # "Erstellen" with nothing entered: a message box.
    xdotool mousemove --window "$editor" 684 500 click 1
    box=$(new_window 20 Merivox "$splash" "$editor") || { fail "$size: no message box"; continue; }
    check "editor's message box" "$box"
    kill "$app"
    wait "$app" 2>/dev/null || true
    app=

    # The viewer without a file asks for one at once.
    "$viewer" >/dev/null 2>&1 &
    app=$!
    window=$(new_window 20 Merivox-Betrachter) || { fail "$size: no viewer window"; continue; }
    dialog=$(new_window 20 'Tasterdatei*') || { fail "$size: no file dialog"; continue; }
    check viewer "$window"
    check "viewer's file dialog" "$dialog"
    kill "$app"
    wait "$app" 2>/dev/null || true
    app=
done

if [ $failures -gt 0 ]; then
    echo "$failures failed checks" >&2
    exit 1
fi
echo "every frame on the screen"
