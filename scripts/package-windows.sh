#!/usr/bin/env bash
# Builds the Windows installer build/windows-cross/merivox-<version>-win64.exe and the ZIP beside
# it, cross-compiled here with MinGW-w64 and the Qt prefix at /opt/qt6-mingw-6.4.2 (installed from
# ../shared/windows/ when it is missing). Installs the missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/qt-mingw-prefix.sh install
cmake --preset windows-cross
cmake --build --preset windows-cross
cd build/windows-cross
cpack -G "NSIS;ZIP"
ls -l merivox-*-win64.exe merivox-*-win64.zip
