#!/usr/bin/env bash
# The Windows stage of the tests: installs the Qt for Windows when it is missing (from
# ../shared/windows/, checksum checked), cross-builds the whole project with MinGW-w64, runs
# every test program under Wine (ctest --preset windows-cross), builds the installer and the ZIP,
# and checks the installer under Wine. Prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."
step() {
    local name=$1
    shift
    local start=$SECONDS
    echo "== Windows stage: $name"
    "$@"
    echo "== Windows stage: $name took $((SECONDS - start)) s"
}
scripts/qt-mingw-prefix.sh install
step "cross build" sh -c 'cmake --preset windows-cross && cmake --build --preset windows-cross'
step "tests under Wine" ctest --preset windows-cross
step "installer" sh -c 'cd build/windows-cross && cpack -G "NSIS;ZIP"'
step "installer check under Wine" scripts/check-windows-installer.sh
echo "== Windows stage passed in $SECONDS s"
