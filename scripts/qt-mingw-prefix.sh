#!/usr/bin/env bash
# qt-mingw-prefix.sh check|install: whether the Qt for Windows that the cross build uses is at
# /opt/qt6-mingw-6.4.2, or can be installed there from ../shared/windows/qt6-mingw-6.4.2.tar.xz
# beside the repository (its checksum checked against SHA256SUMS there). "check" exits 0 when
# either holds; "install" unpacks the tarball when the prefix is missing (as root or through sudo).
set -euo pipefail
prefix=/opt/qt6-mingw-6.4.2
repo="$(cd "$(dirname "$0")/.." && pwd)"
shared="$repo/../shared/windows"
tarball="$shared/qt6-mingw-6.4.2.tar.xz"

if [ -f "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    exit 0
fi
if [ ! -f "$tarball" ]; then
    [ "$1" = check ] && exit 1
    echo "No Qt for Windows at $prefix, and no $tarball to install it from." >&2
    exit 1
fi
[ "$1" = check ] && exit 0

echo "Checking $tarball"
(cd "$shared" && grep ' qt6-mingw-6.4.2.tar.xz$' SHA256SUMS | sha256sum -c --quiet -)
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing it at $prefix"
"${as_root[@]}" mkdir -p "$(dirname "$prefix")"
"${as_root[@]}" tar -xJf "$tarball" -C "$(dirname "$prefix")"
