#!/usr/bin/env bash
# Builds Qt 6.4.2 (qtbase + qtsvg) for 64-bit Windows with Debian's MinGW-w64 and packs it as
# qt6-mingw-6.4.2.tar.xz, the prefix that the Windows build expects at /opt/qt6-mingw-6.4.2.
#
#   scripts/build-qt-mingw.sh [QTSVG_TARBALL] [WORK_FOLDER]
#
# QTSVG_TARBALL: qtsvg-everywhere-src-6.4.2.tar.xz (default: ../shared/windows/ beside the
# repository; Qt's official tarball works too). WORK_FOLDER (default /tmp/qt-mingw-build) takes
# the sources, the build trees, the staged prefix and the packed result
# WORK_FOLDER/qt6-mingw-6.4.2.tar.xz. qtbase comes from Debian's source package (with Debian's
# patches), so a deb-src line is added to apt's sources when there is none. Runs as root (apt);
# takes about 40 minutes on two cores (measured: 2,209 s for qtbase, 66 s for qtsvg and packing).
# Not part of the tests.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
qtsvg_tarball="$(realpath "${1:-$repo/../shared/windows/qtsvg-everywhere-src-6.4.2.tar.xz}")"
work="${2:-/tmp/qt-mingw-build}"
prefix=/opt/qt6-mingw-6.4.2
stage="$work/stage"
jobs="$(nproc)"

[ -f "$qtsvg_tarball" ] || { echo "qtsvg source not found: $qtsvg_tarball" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "Run as root: apt-get installs the tools and fetches the source." >&2; exit 1; }

# Tools: the cross compiler, Debian's Qt as host tools (moc, rcc, uic of the same version), the
# German Qt texts, and what apt-get source needs.
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    cat > /etc/apt/sources.list.d/merivox-deb-src.sources <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
fi
apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    dpkg-dev cmake ninja-build perl xz-utils g++-mingw-w64-x86-64-posix \
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n

mkdir -p "$work"
cd "$work"
rm -rf qtbase qtsvg build-qtbase build-qtsvg "$stage"

# qtbase from Debian's source package, its patches applied.
apt-get source -qq --download-only qt6-base=6.4.2+dfsg-10
dpkg-source -x --skip-debianization qt6-base_6.4.2+dfsg-10.dsc qtbase >/dev/null

# Guard 1: Debian's tarball leaves out src/3rdparty/wintab; build pen-tablet support of the
# Windows platform plugin only where wintab.h exists.
win="qtbase/src/plugins/platforms/windows"
perl -0pi -e 's/qt_internal_extend_target\(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent\n/qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent AND EXISTS "\${QtBase_SOURCE_DIR}\/src\/3rdparty\/wintab\/wintab.h"\n/' "$win/CMakeLists.txt"
cat >> "$win/CMakeLists.txt" <<'EOF'

if(QT_FEATURE_tabletevent AND EXISTS "${QtBase_SOURCE_DIR}/src/3rdparty/wintab/wintab.h")
    target_compile_definitions(QWindowsIntegrationPlugin PRIVATE QWINDOWS_HAVE_WINTAB)
endif()
EOF
for f in qwindowscontext.cpp qwindowspointerhandler.cpp qwindowspointerhandler.h; do
    perl -pi -e 's/^#if QT_CONFIG\(tabletevent\)/#if QT_CONFIG(tabletevent) && defined(QWINDOWS_HAVE_WINTAB)/' "$win/$f"
done
# Guard 2: the DirectWrite font database is part of QtGui only with direct2d; the plugin
# refers to it whenever directwrite3 is on.
perl -pi -e 's/^#if QT_CONFIG\(directwrite3\)$/#if QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)/' "$win/qwindowsintegration.cpp"
grep -q 'QWINDOWS_HAVE_WINTAB' "$win/qwindowscontext.cpp"
grep -q 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' "$win/qwindowsintegration.cpp"

# The cross toolchain; it is installed beside Qt's own toolchain file, which loads it.
toolchain="$work/mingw-w64-x86_64-posix.cmake"
cat > "$toolchain" <<'EOF'
# CMake toolchain file: cross-compile for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR           /usr/bin/${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "")
# Search headers and libraries only in the MinGW sysroot (and in prefixes listed in
# CMAKE_PREFIX_PATH / CMAKE_FIND_ROOT_PATH), programs only on the build host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# OpenGL goes as configure's -no-opengl takes it (INPUT_opengl=no below): FEATURE_opengl=OFF alone
# leaves Windows' default of loading OpenGL at run time on, with which the Windows platform plugin
# refers to OpenGL classes that are not built, and QtGui's public configuration differs.
off_features=(network sql printsupport dbus concurrent xml opengl dynamicgl vulkan direct2d zstd icu
              system_zlib system_png system_jpeg system_freetype system_harfbuzz system_pcre2
              system_doubleconversion system_libb2 system_textmarkdownreader)
feature_args=()
for f in "${off_features[@]}"; do feature_args+=("-DFEATURE_$f=OFF"); done

start=$(date +%s)
cmake -S qtbase -B build-qtbase -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
    -DINPUT_opengl=no \
    "${feature_args[@]}"
cmake --build build-qtbase -j "$jobs"
DESTDIR="$stage" cmake --install build-qtbase
qtbase_done=$(date +%s)

# Qt's toolchain file names the cross toolchain relative to itself, so the prefix can move.
cp "$toolchain" "$stage$prefix/lib/cmake/"
perl -pi -e 's|^set\(__qt_initially_configured_toolchain_file ".*"\)$|set(__qt_initially_configured_toolchain_file "\${CMAKE_CURRENT_LIST_DIR}/../mingw-w64-x86_64-posix.cmake")|' \
    "$stage$prefix/lib/cmake/Qt6/qt.toolchain.cmake"

# qtsvg against the staged qtbase.
mkdir qtsvg
tar -xJf "$qtsvg_tarball" -C qtsvg --strip-components=1
cmake -S qtsvg -B build-qtsvg -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$stage$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
cmake --build build-qtsvg -j "$jobs"
DESTDIR="$stage" cmake --install build-qtsvg

# Qt's German texts and the MinGW runtime beside the Qt DLLs.
mkdir -p "$stage$prefix/translations"
cp /usr/share/qt6/translations/qtbase_de.qm "$stage$prefix/translations/"
cp /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll \
   /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll \
   /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage$prefix/bin/"

tar --sort=name --owner=root --group=root -C "$stage$(dirname "$prefix")" \
    -cJf "$work/qt6-mingw-6.4.2.tar.xz" "$(basename "$prefix")"
end=$(date +%s)
echo "qtbase: $((qtbase_done - start)) s, qtsvg and packing: $((end - qtbase_done)) s"
echo "Wrote $work/qt6-mingw-6.4.2.tar.xz; install it with: tar -xJf $work/qt6-mingw-6.4.2.tar.xz -C /opt"
