#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Merivox need,
# skipping those that are already there. Works as root or through sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libgl-dev
    fonts-liberation fontconfig
    # the Windows file layer: cross-compiled and tested under Wine
    g++-mingw-w64-x86-64 wine64 doctest-dev
    # the Windows stage: the whole program cross-built, its tests under Wine (window tests also
    # on Wine's own platform under Xvfb), its 64-bit installer
    g++-mingw-w64-x86-64-posix xz-utils xvfb nsis
    # every window's frame on the screen under a real window manager (tests/windows/frames_on_screen.sh)
    openbox x11-utils xdotool
    # the reader's fuzz target (scripts/fuzz-reader.sh): clang with libFuzzer and the sanitizers
    clang
    # Qt's own texts in German; checks of the installed files; the Debian package
    qt6-translations-l10n desktop-file-utils appstream icoutils man-db dpkg-dev lintian shared-mime-info
    # the data sheet read back as text and as a picture
    poppler-utils
    # a German locale, under which the German manual pages are checked as they render
    locales
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        if [ ${#missing[@]} -ne 0 ]; then
            echo "Missing packages: ${missing[*]}" >&2
            echo "Run this script as root, or install sudo, to install them." >&2
            exit 1
        fi
    else
        as_root=(sudo)
    fi
fi

if [ ${#missing[@]} -ne 0 ]; then
    echo "Installing: ${missing[*]}"
    # Wait for another apt run instead of failing on its lock.
    "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}"
fi

# The German manual pages are checked as man renders them under a German locale; made once, kept
# by the system (locale -a lists it as de_DE.utf8).
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    if [ "$(id -u)" -ne 0 ] && [ ${#as_root[@]} -eq 0 ]; then
        echo "No German locale: run this script as root, or install sudo, to make de_DE.UTF-8." >&2
        exit 1
    fi
    echo "Making the locale de_DE.UTF-8"
    "${as_root[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
