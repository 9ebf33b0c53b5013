#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through ctest; then the
# Windows stage (scripts/test-windows.sh) when a Qt for Windows is installed or can be installed
# from ../shared/windows/. MERIVOX_REQUIRE_WINDOWS=1 makes a skipped Windows stage a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug

if scripts/qt-mingw-prefix.sh check; then
    scripts/test-windows.sh
elif [ "${MERIVOX_REQUIRE_WINDOWS:-0}" = 1 ]; then
    echo "The Windows stage is required, but there is no Qt for Windows at /opt/qt6-mingw-6.4.2 and no ../shared/windows/qt6-mingw-6.4.2.tar.xz to install it from." >&2
    exit 1
else
    echo "Windows stage skipped: no Qt for Windows at /opt/qt6-mingw-6.4.2 and no ../shared/windows/qt6-mingw-6.4.2.tar.xz; scripts/build-qt-mingw.sh builds one (about 40 minutes)."
fi
