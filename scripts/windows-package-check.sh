#!/usr/bin/env bash
# Builds the Windows zip from build-windows/ and checks it as a user would meet it: unpacked
# into a folder of its own, its files, `tovrel.exe --version` under wine, and a command-line
# download with verify from the unpacked folder into the simulated device (the Linux
# pellicon-sim from build/bin, which is built first when it is missing). Wine reaches the
# device's pseudo-terminal as COM1 through a symbolic link in a wine prefix of the check's
# own. Prints one line per check; the exit status is non-zero when any check fails.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build-windows
sim=build/bin/pellicon-sim
work=$(mktemp -d)
export WINEPREFIX="$work/wine" WINEDEBUG=-all
sim_pid=""
server_pid=""
cleanup() {
    # The prefix's own processes (winedevice.exe and the like) go with its server, which
    # would leave them behind when only it was ended.
    [ -z "$server_pid" ] || wineserver -k >/dev/null 2>&1 || true
    for pid in $sim_pid $server_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
check_name=windows-package-check
. scripts/check-steps.sh

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt" 2>/dev/null)
zip="$build/package/tovrel-$version-win64.zip"
folder="$work/unpacked/tovrel-$version-win64"

build_zip() {
    rm -rf "$build/package"
    cpack --config "$build/CPackConfig.cmake" -B "$build/package" && ls "$zip"
}

zip_contents() {
    local listing
    listing=$(unzip -Z1 "$zip") || return 1
    echo "$listing"
    for f in tovrel.exe README.md Configuration/Zerk8QA.txt; do
        grep -qx "tovrel-$version-win64/$f" <<<"$listing" || { echo "missing $f"; return 1; }
    done
    # The licence goes with the program wherever the sources have one.
    for licence in LICENSE* LICENCE* COPYING*; do
        [ -e "$licence" ] || continue
        grep -qx "tovrel-$version-win64/$licence" <<<"$listing" || { echo "missing $licence"; return 1; }
    done
}

# No DLL beside the program: it needs only what every Windows has.
system_dlls_only() {
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$folder/tovrel.exe" | sed -n 's/^\s*DLL Name: //p')
    echo "$dlls"
    ! grep -qviE '^(kernel32|msvcrt|user32|advapi32|ws2_32|shell32|ole32|setupapi|cfgmgr32)\.dll$' <<<"$dlls"
}

# The server of the check's own prefix runs in the foreground of this script, so it is no
# session leader: a pseudo-terminal that closes cannot hang it up. Wine writes to files, never
# to pipes, which its helper processes would keep open.
start_wine() {
    wineserver -f -p >"$work/wineserver.log" 2>&1 &
    server_pid=$!
    (cd "$folder" && wine tovrel.exe --version >"$work/version" 2>"$work/wine-errors")
    cat "$work/version"
    grep -qx "Tovrel $version" <(tr -d '\r' <"$work/version")
}

simulator_built() {
    [ -x "$sim" ] && return
    echo "$sim is missing: building it (cmake --preset default, target pellicon-sim)"
    { [ -f build/CMakeCache.txt ] || cmake --preset default -DBUILD_TESTING=OFF; } &&
        cmake --build build --target pellicon-sim -j2
}

start_simulator() {
    serve_simulator "$sim" --state "$work/device-state" || return 1
    ln -sfn "$(head -n 1 "$work/sim-path")" "$WINEPREFIX/dosdevices/com1"
    ls -l "$WINEPREFIX/dosdevices/com1"
}

download() {
    local status=0
    # Made again just before the run: a wine prefix that is still being set up may have put its
    # own com1 link in place of ours.
    ln -sfn "$(head -n 1 "$work/sim-path")" "$WINEPREFIX/dosdevices/com1"
    ls -l "$WINEPREFIX/dosdevices/com1"
    cp examples/blinky.hex "$folder/"
    (cd "$folder" && wine tovrel.exe blinky.hex /V /T:0 >"$work/log" 2>"$work/errors") ||
        status=$?
    tr -d '\r' <"$work/log" >"$work/log.txt"
    cat "$work/log.txt" "$work/errors"
    echo "exit status $status"
    [ "$status" -eq 0 ] &&
        grep -q "^RESETTING PART: OK" "$work/log.txt" &&
        grep -q "^VERIFYING USER CODE: .*OK" "$work/log.txt"
}

[ -n "$version" ] || { echo "windows-package-check: $build is not configured (cmake --preset windows)"; exit 1; }
check "zip builds (cpack -G ZIP)" build_zip
[ -f "$zip" ] || finish
check "zip holds tovrel.exe, Configuration, the README and the licence" zip_contents
mkdir -p "$work/unpacked" && unzip -q "$zip" -d "$work/unpacked"
check "unpacked tovrel.exe needs only system DLLs" system_dlls_only
check "unpacked tovrel.exe --version under wine" start_wine
check "simulated device built ($sim)" simulator_built
[ -x "$sim" ] || finish
check "simulated device starts, COM1 linked to it" start_simulator
[ -n "$sim_pid" ] && check "unpacked tovrel.exe downloads blinky.hex on COM1 with /V" download
finish
