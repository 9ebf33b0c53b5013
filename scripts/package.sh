#!/usr/bin/env bash
# Builds the Debian package build/release/merivox_<version>_<arch>.deb from a release build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
rm -f build/release/merivox_*.deb
(cd build/release && cpack -G DEB)
ls build/release/merivox_*.deb
