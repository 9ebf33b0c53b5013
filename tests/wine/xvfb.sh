#!/bin/sh
# xvfb.sh start FILE | stop FILE: starts a virtual X display for the tests on Wine's own
# platform and writes its number to FILE; stop ends that display again.
set -eu
file=$2
case $1 in
start)
    rm -f "$file" "$file.pid"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
    echo $! > "$file.pid"
    tries=0
    while [ ! -s "$file" ]; do
        tries=$((tries + 1))
        [ $tries -lt 100 ] || { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
    ;;
stop)
    [ -f "$file.pid" ] && kill "$(cat "$file.pid")" 2>/dev/null || true
    rm -f "$file" "$file.pid"
    ;;
esac
