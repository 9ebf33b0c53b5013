#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target merivox
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Merivox is built (build/release/app/merivox) but cannot start: no display." >&2
    echo "Run this command from a desktop session, where DISPLAY or WAYLAND_DISPLAY is set." >&2
    exit 1
fi
exec build/release/app/merivox
