#!/bin/sh
# run-under-wine.sh WINE PROGRAM [ARGS...]: runs a Windows console program under Wine in a fresh
# Wine prefix that is thrown away afterwards, without Wine's debug output, and exits with the
# program's status.
set -u
wine=$1
shift
prefix=$(mktemp -d "${TMPDIR:-/tmp}/merivox-wine.XXXXXX") || exit 1
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver
status=0
WINEPREFIX=$prefix WINEDEBUG=-all "$wine" "$@" || status=$?
WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null
rm -rf "$prefix"
exit $status
