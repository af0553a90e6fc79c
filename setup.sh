#!/usr/bin/env bash
# Installs what Tovrel needs from Debian's packages, builds it, and then
#   ./setup.sh demo       runs a download into the simulated device
#   ./setup.sh test       checks the layers' includes and the formatting of every C++ file,
#                         runs every test through ctest, builds, installs and checks the
#                         Debian package, runs each fuzz target for 30 seconds, runs every
#                         test again built with the address and UB sanitizers, and does what
#                         the windows mode does, the window included (this is what CI runs);
#                         the builds treat warnings as errors
#   ./setup.sh sanitize   runs every test built with the address and UB sanitizers
#   ./setup.sh windows    cross-builds tovrel.exe and the unit tests for 64-bit Windows with
#                         mingw-w64, runs the tests under wine through ctest, builds and
#                         checks the zip (a download into the Linux simulated device under
#                         wine), and runs the fault suite's Windows slice: tovrel.exe under
#                         wine end to end against simulated devices (the Linux build's
#                         fault_tests and pellicon-sim, built first when missing); then the same
#                         with the window, against Qt for Windows built from Debian's qt6-base
#                         source (scripts/windows-qt.sh, cached in ~/.cache/tovrel: 15 to 45
#                         minutes on 2 cores the first time), its zip checked through the
#                         window under wine on a virtual display
# Each mode installs only what it needs.
set -euo pipefail
cd "$(dirname "$0")"

usage() { echo "usage: $0 [demo|test|sanitize|windows]" >&2; exit 2; }
# A wrong word stops here, before anything is installed or built.
(($# <= 1)) || usage
mode=${1:-demo}
case "$mode" in demo | test | sanitize | windows) ;; *) usage ;; esac

# Building and showing the window: compiler, CMake, Qt (with the SVG plugins that draw the
# window's icon), the client libraries of the bench's databases (SQLite, PostgreSQL), a
# virtual display and the fonts the window is drawn with.
packages=(cmake make g++ pkg-config qt6-base-dev qt6-serialport-dev libqt6svg6 libsqlite3-dev
          libpq-dev xvfb xauth fonts-dejavu-core fonts-liberation2)
# Tests, with the sanitizers; the corpus test compiles its programs with SDCC and packs them
# with srec_cat; the database tests start PostgreSQL servers of their own.
case "$mode" in test | sanitize) packages+=(libgtest-dev libgmock-dev sdcc srecord postgresql) ;; esac
# CI's extras: the formatting check, the fuzz targets (clang with its runtime libraries, the
# unversioned packages that go with the release's default clang), git to list the files, and
# the package check.
[ "$mode" != test ] || packages+=(git clang libclang-rt-dev clang-format dpkg-dev
                                  desktop-file-utils man-db)
# Windows: the mingw-w64 cross compiler (posix threads), wine to run what it builds, GoogleTest's
# sources to build for it, and zip for the package. The Linux packages above build the
# simulated device the zip is checked against, and with GoogleTest for Linux the fault suite
# whose Windows slice runs tovrel.exe under wine.
case "$mode" in test | windows)
    packages+=(g++-mingw-w64-x86-64-posix wine wine64 googletest zip unzip libgtest-dev
               libgmock-dev) ;;
esac
# The window for Windows: Qt's source package unpacked with dpkg-dev and built with Ninja, the
# host's moc, rcc and uic (qt6-base-dev-tools, with qt6-base-dev above); its check drives the
# window with xdotool, measures it with x11-utils, reads its log through the clipboard (xclip)
# and photographs it (imagemagick).
case "$mode" in test | windows)
    packages+=(dpkg-dev ninja-build qt6-base-dev-tools xdotool x11-utils xclip imagemagick
               python3) ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}" >&2
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# Configures a preset with explicit choices every time, so a folder left by another mode
# (the demo builds no tests) is set right.
configure() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >&2 || return
    cmake --build --preset "$preset" >&2
}

# The fault suite's Windows slice (its tests named Wine*): tovrel.exe under wine in a prefix
# and server of the suite's own, the simulated devices its COM ports through the prefix's
# dosdevices links. It runs from the Linux build's fault_tests, brought up to date here (built
# with pellicon-sim when the Linux build has no tests, as in ./setup.sh windows alone); its
# output in build-windows/wine-slice-output.txt.
wine_slice() {
    rm -f build-windows/wine-slice-output.txt
    if ! grep -qx 'BUILD_TESTING:BOOL=ON' build/CMakeCache.txt 2>/dev/null; then
        cmake --preset default -DBUILD_TESTING=ON -DTOVREL_WERROR=ON >&2 || return
    fi
    cmake --build --preset default --target fault_tests >&2 || return
    echo "fault suite's Windows slice (tovrel.exe under wine):"
    TOVREL_WINE_PROGRAM=build-windows/bin/tovrel.exe build/bin/fault_tests --gtest_filter='Wine*' |
        tee build-windows/wine-slice-output.txt
}

# gtest's closing counts of the Windows slice, one line each.
wine_slice_summary() {
    grep -h -E '^\[  (PASSED|FAILED|SKIPPED) +\] [0-9]+ tests?[.,]' build-windows/wine-slice-output.txt |
        sed 's/^/Windows slice under wine: /'
}

# The Windows build, its unit tests under wine, its zip and the fault suite's Windows slice;
# ctest's output in build-windows/ctest-output.txt. The tests' first step starts one wine server
# (wineserver -p) for them all, so that wine's own start does not dominate, and their last step
# stops it.
windows() {
    local status=0
    configure windows -DTOVREL_WERROR=ON || return
    ctest --preset windows | tee build-windows/ctest-output.txt || status=1
    ./scripts/windows-package-check.sh || status=1
    wine_slice || status=1
    return "$status"
}

# The window's Windows build against the cached Qt for Windows (made when missing), and its
# zip checked through the window under wine; the check's output in
# build-windows-window/window-check-output.txt.
windows_window() {
    local qt
    rm -f build-windows-window/window-check-output.txt
    qt=$(nice -n 10 ./scripts/windows-qt.sh) || return
    TOVREL_WINDOWS_QT=$qt configure windows-window -DTOVREL_WERROR=ON || return
    ./scripts/windows-window-check.sh | tee build-windows-window/window-check-output.txt
}

# The window check's closing count, one line.
windows_window_summary() {
    grep -h -E '^windows-window-check: [0-9]+ checks ok' \
        build-windows-window/window-check-output.txt 2>/dev/null |
        sed 's/^windows-window-check: /window under wine: /'
}

case "$mode" in
    demo)
        configure default -DBUILD_TESTING=OFF -DTOVREL_WERROR=OFF
        exec ./scripts/demo.sh ;;
    sanitize)
        configure sanitize -DBUILD_TESTING=ON
        exec ctest --preset sanitize ;;
    windows)
        status=0
        windows || status=1
        windows_window || status=1
        echo "summary (Windows build under wine: ctest, then the fault suite's Windows slice, then"
        echo "the window):"
        grep -h -E "tests passed|Total Test time" build-windows/ctest-output.txt || status=1
        wine_slice_summary || status=1
        windows_window_summary || status=1
        exit "$status" ;;
    test)
        # Every part runs even when an earlier one failed; the run fails when any part does.
        # ctest's summaries are repeated last, so they close the output.
        status=0
        echo "layer check (folder -> folder it includes, number of includes):"
        ./scripts/layer-graph.sh || status=1
        echo "clang-format check:"
        if git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror; then
            echo "every C++ file is formatted"
        else
            status=1
        fi
        if configure default -DBUILD_TESTING=ON -DTOVREL_WERROR=ON; then
            ctest --preset default | tee build/ctest-output.txt || status=1
            ./scripts/package-check.sh || status=1
        else
            status=1
        fi
        ./fuzz/run.sh "${TOVREL_FUZZ_SECONDS:-30}" || status=1
        if configure sanitize -DBUILD_TESTING=ON -DTOVREL_WERROR=ON; then
            ctest --preset sanitize | tee build-sanitize/ctest-output.txt || status=1
        else
            status=1
        fi
        windows || status=1
        windows_window || status=1
        echo "ctest summary (default build, then sanitizer build, then Windows build under wine,"
        echo "then the fault suite's Windows slice under wine, then the window under wine):"
        grep -h -E "tests passed|Total Test time" build/ctest-output.txt \
            build-sanitize/ctest-output.txt build-windows/ctest-output.txt || status=1
        wine_slice_summary || status=1
        windows_window_summary || status=1
        exit "$status" ;;
esac
