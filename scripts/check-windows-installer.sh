#!/usr/bin/env bash
# Checks the Windows installer that scripts/package-windows.sh built, under Wine: installs it
# silently into a fresh Wine prefix, checks the start-menu entries, runs the installed
# merivox.exe --version, merivox-view.exe --check and --pdf (which its window part writes) on a
# file, uninstalls it silently and checks that nothing of it is left (files, start menu, registry).
set -euo pipefail
cd "$(dirname "$0")/.."
installer=$(ls build/windows-cross/merivox-*-win64.exe | head -1)
version=$(basename "$installer" | sed 's/^merivox-\(.*\)-win64\.exe$/\1/')
# Debian's wine64 keeps both in /usr/lib/wine (the package wine adds /usr/bin/wine).
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wine" ] || { wine=wine; wineserver=wineserver; }
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/merivox-installer.XXXXXX")
# No Mono or Gecko installers, and no menu entries of the Linux desktop made from the start menu.
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
unset DISPLAY
cleanup() { "$wineserver" -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$wine" wineboot --init </dev/null >/dev/null 2>&1
"$wineserver" -w
echo "Installing $installer silently"
"$wine" "$installer" /S </dev/null >/dev/null 2>&1
"$wineserver" -w

installed="$WINEPREFIX/drive_c/Program Files/Merivox"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Merivox"
for file in bin/merivox.exe bin/merivox-view.exe bin/merivox-view-window.dll bin/qt.conf bin/Qt6Core.dll bin/libstdc++-6.dll \
            bin/plugins/platforms/qwindows.dll bin/translations/qtbase_de.qm Uninstall.exe; do
    [ -f "$installed/$file" ] || fail "not installed: $file"
done
echo "Start-menu entries:"
ls -1 "$menu"
[ -f "$menu/Merivox deinstallieren.lnk" ] || fail "no German start-menu entry for the uninstaller"
[ ! -e "$menu/Uninstall.lnk" ] || fail "the uninstaller's start-menu entry is named in English"
for link in Merivox.lnk Merivox-Betrachter.lnk; do
    [ -f "$menu/$link" ] || fail "no start-menu entry $link"
    # "Ausführen in": the public documents folder, which every user may write.
    start_in=$(strings -el "$menu/$link" | grep -i '^C:.*Documents$' || true)
    echo "$link starts in: $start_in"
    [ "$start_in" = 'C:\users\Public\Documents' ] || fail "$link does not start in the public documents"
done

# Output redirected into a pipe: the ANSI code page with CR LF.
"$wine" 'C:\Program Files\Merivox\bin\merivox.exe' --version </dev/null 2>/dev/null > "$WINEPREFIX/version.txt"
echo "merivox.exe --version:$(od -An -c "$WINEPREFIX/version.txt")"
printf 'Merivox %s\r\n' "$version" | cmp -s - "$WINEPREFIX/version.txt" || fail "merivox.exe --version"

record='ITEM:Wä10MM M3\r\nbegintip\r\nribcount 10\r\nColor 142 142 142\r\ncylinder 0 0 0 0 0 -10 4\r\n'
record+='cone 0 0 -10 4 0 0 -15 2\r\ncylinder 0 0 -15 0 0 -40 2\r\nColor 255 0 0\r\nsphere 0 0 -40 3\r\n'
record+='hotspot 0 0 -40 0 0 1 3 3 ball\r\nendtip\r\n'
printf "$record" | iconv -f UTF-8 -t WINDOWS-1252 > "$WINEPREFIX/drive_c/usrprobe.dat"
status=0
check=$("$wine" 'C:\Program Files\Merivox\bin\merivox-view.exe' --check 'C:\usrprobe.dat' </dev/null 2>&1 | tr -d '\r') || status=$?
echo "merivox-view.exe --check C:\\usrprobe.dat: $check (exit code $status)"
[ "$status" -eq 0 ] && [ "$check" = "1 Eintrag, 0 Probleme" ] || fail "merivox-view.exe --check"

# The window part, loaded from beside the program: the data sheet needs fonts but no window.
status=0
sheet=$("$wine" 'C:\Program Files\Merivox\bin\merivox-view.exe' --pdf 'C:\Datenblatt.pdf' 1 'C:\usrprobe.dat' </dev/null 2>&1 |
         tr -d '\r' | iconv -f WINDOWS-1252 -t UTF-8) || status=$?
echo "merivox-view.exe --pdf C:\\Datenblatt.pdf 1 C:\\usrprobe.dat: $sheet (exit code $status)"
[ "$status" -eq 0 ] && head -c 5 "$WINEPREFIX/drive_c/Datenblatt.pdf" | grep -q '^%PDF-' || fail "merivox-view.exe --pdf"

echo "Uninstalling silently"
"$wine" 'C:\Program Files\Merivox\Uninstall.exe' /S </dev/null >/dev/null 2>&1
# The uninstaller runs on as a copy of itself: wait for every Wine process to end.
"$wineserver" -w
[ ! -e "$installed" ] || { find "$installed"; fail "left behind in Program Files"; }
[ ! -e "$menu" ] || { find "$menu"; fail "left behind in the start menu"; }
if grep -qi merivox "$WINEPREFIX"/system.reg "$WINEPREFIX"/user.reg; then
    grep -i merivox "$WINEPREFIX"/system.reg "$WINEPREFIX"/user.reg
    fail "left behind in the registry"
fi
echo "Installer check passed: installed, both programs ran, uninstalled without a trace."
