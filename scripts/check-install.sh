#!/usr/bin/env bash
# Slow checks of the installed program, as root (they install and remove the package):
# install into a staging folder and list it, validate the desktop entries and the metainfo,
# render the manual pages, build the .deb, run lintian on it, install it with apt-get, run
# merivox --version from the PATH, and remove it again, leaving no file behind.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    echo "check-install.sh installs and removes the package: run it as root." >&2
    exit 1
fi
if dpkg-query -W -f='${Status}' merivox 2>/dev/null | grep -q "install ok installed"; then
    echo "merivox is installed already; remove it first (apt-get remove merivox)." >&2
    exit 1
fi

step() { printf '\n=== %s\n' "$*"; }

step "Debian package (scripts/package.sh)"
scripts/package.sh
deb=$(ls build/release/merivox_*.deb)

step "cmake --install into a staging folder"
stage=build/stage
rm -rf "$stage"
DESTDIR="$PWD/$stage" cmake --install build/release --prefix /usr >/dev/null
(cd "$stage" && find . -type f | sort)

step "desktop-file-validate"
for entry in "$stage"/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry"
    echo "ok ${entry#"$stage"}"
done

step "the probe file's MIME type"
test -f "$stage"/usr/share/mime/packages/merivox.xml
grep -q '^MimeType=application/x-merivox-usrprobe;$' "$stage"/usr/share/applications/org.merivox.MerivoxView.desktop
echo "ok /usr/share/mime/packages/merivox.xml, opened by the viewer's desktop entry"

step "appstreamcli validate --no-net"
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml

step "man renders the pages"
for page in "$stage"/usr/share/man/man1/*.1.gz "$stage"/usr/share/man/de/man1/*.1.gz; do
    warnings=$(man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$warnings" >&2
        exit 1
    fi
    man -E UTF-8 -l "$page" | head -n 4
done

step "lintian $deb"
lintian_output=$(lintian "$deb" 2>&1 | grep -v '^running with root privileges' || true)
echo "${lintian_output:-(no tags)}"
if grep -q '^E:' <<<"$lintian_output"; then
    echo "lintian reports errors" >&2
    exit 1
fi

step "apt-get install ./$deb"
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq "./$deb" >/dev/null
dpkg-query -W merivox
files=$(dpkg-query -L merivox)

step "merivox --version from the PATH"
command -v merivox
(cd / && env -u DISPLAY -u WAYLAND_DISPLAY merivox --version)
if command -v merivox-view >/dev/null; then
    (cd / && env -u DISPLAY -u WAYLAND_DISPLAY merivox-view --version)
fi

step "apt-get remove --purge merivox"
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 remove --purge -y -qq merivox >/dev/null
if dpkg-query -W -f='${Status}' merivox 2>/dev/null | grep -q "installed"; then
    echo "merivox is still installed" >&2
    exit 1
fi
left=0
while IFS= read -r path; do
    if [ -f "$path" ] || [ -L "$path" ]; then
        echo "left behind: $path" >&2
        left=1
    fi
done <<<"$files"
if [ "$left" -ne 0 ] || command -v merivox >/dev/null; then
    exit 1
fi
echo "merivox removed; none of the files it installed is left"

step "all install checks passed"
