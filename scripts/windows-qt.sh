#!/usr/bin/env bash
# Makes Qt (Core, Gui, Widgets) for 64-bit Windows from Debian's own qt6-base source package,
# cross-built with the mingw-w64 compilers (posix threads), and prints the folder it is
# installed in. The folder is a cache outside the source tree,
#   ${XDG_CACHE_HOME:-~/.cache}/tovrel/qt-<version>-<flags hash>-x86_64-w64-mingw32,
# reused when it is complete (its stamp file is written last). The version is that of the
# host's Qt tools (moc, rcc, uic from qt6-base-dev-tools), which the cross build runs.
#
# The sources come through apt with a deb-src entry derived from this machine's own apt
# sources (the same URIs, suites, components and Signed-By keyring), kept in a private apt
# configuration in a temporary folder: the machine's apt configuration, lists and caches are
# not changed, and the temporary folder goes when the script ends, whatever the outcome.
# Debian's patches are applied when the source package is unpacked (dpkg-dev).
#
# Takes about 15-30 minutes on 2 cores; progress goes to stderr.
set -euo pipefail

triple=x86_64-w64-mingw32
jobs=${TOVREL_QT_JOBS:-2}
say() { echo "windows-qt: $*" >&2; }

full_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) || {
    say "qt6-base-dev-tools (the host's moc, rcc and uic) is not installed"
    exit 1
}
version=${full_version%%+*}
version=${version%%-*}

# Off: what the window does not use, what would pull in Linux libraries (pkg-config), and
# every system_* library (the bundled copies are built instead). dynamicgl goes with opengl
# (the Windows platform plugin does not build otherwise); Debian's source has no tablet
# (wintab) sources. direct2d stays at its default: the Windows font database needs it.
features_off=(sql network opengl dynamicgl dbus testlib xml printsupport concurrent zstd
              tabletevent vulkan icu pkg_config
              system_zlib system_pcre2 system_harfbuzz system_freetype system_png
              system_jpeg system_doubleconversion system_textmarkdownreader system_libb2)
host_cmake=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -dumpmachine)/cmake
configure_flags=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
                 -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake"
                 -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF)
for f in "${features_off[@]}"; do configure_flags+=("-DFEATURE_$f=OFF"); done

# The toolchain: the -posix compilers; libraries, headers and packages only from the mingw
# sysroot and the install prefix (substituted below).
toolchain_text='set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 @PREFIX@)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)'

hash=$(printf '%s\n' "$full_version" "${configure_flags[@]}" "$toolchain_text" \
    "$(x86_64-w64-mingw32-g++-posix -dumpfullversion 2>/dev/null || echo none)" |
    sha256sum | cut -c1-10)
prefix=${XDG_CACHE_HOME:-$HOME/.cache}/tovrel/qt-$version-$hash-$triple
stamp=$prefix/tovrel-qt-complete

if [ -f "$stamp" ]; then
    say "Qt $version for Windows is in $prefix"
    echo "$prefix"
    exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix cmake ninja dpkg-source apt-get; do
    command -v "$tool" >/dev/null || { say "$tool is missing"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tovrel-qt.XXXXXX")
trap 'rm -rf "$work"' EXIT
start=$(date +%s)

# The deb-src entry: every deb entry of this machine's apt sources (deb822 and one-line
# formats) repeated as deb-src, with the same options (Signed-By among them).
apt_dir=$work/apt
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*(^|[ \t])deb([ \t]|\n|$)/ && !/(^|\n)Enabled:[ \t]*no/ {
             sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' \
        "$f" >>"$apt_dir/sources/tovrel-qt-src.sources"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^[ \t]*deb[ \t]/deb-src /p' "$f" >>"$apt_dir/sources/tovrel-qt-src.list"
done
apt_options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt_dir/sources"
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
             -o "Debug::NoLocking=1")
[ "$(id -u)" -ne 0 ] || apt_options+=(-o "APT::Sandbox::User=root")

say "fetching the source package qt6-base $full_version"
apt-get "${apt_options[@]}" -qq update >&2
mkdir "$work/source"
(cd "$work/source" && apt-get "${apt_options[@]}" -qq source "qt6-base=$full_version" >&2)
src=$(find "$work/source" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
[ -n "$src" ] || { say "the source package did not unpack"; exit 1; }

rm -rf "$prefix"
mkdir -p "$prefix"
printf '%s\n' "$toolchain_text" | sed "s|@PREFIX@|$prefix|" >"$work/toolchain.cmake"

say "configuring ($src)"
cmake -G Ninja -S "$src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${configure_flags[@]}" >"$work/configure.log" 2>&1 || {
    tail -n 60 "$work/configure.log" >&2
    exit 1
}
say "building with $jobs jobs (15-30 minutes on 2 cores)"
cmake --build "$work/build" --parallel "$jobs" >"$work/build.log" 2>&1 || {
    tail -n 60 "$work/build.log" >&2
    exit 1
}
say "installing into $prefix"
cmake --install "$work/build" --strip >"$work/install.log" 2>&1 || {
    tail -n 30 "$work/install.log" >&2
    exit 1
}
for f in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll plugins/platforms/qwindows.dll \
    lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake; do
    [ -f "$prefix/$f" ] || { say "$f was not installed"; exit 1; }
done
printf 'qt6-base %s\nbuilt in %s s\n' "$full_version" "$(($(date +%s) - start))" >"$stamp"
say "done in $(($(date +%s) - start)) s: $prefix"
echo "$prefix"
