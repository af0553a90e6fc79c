#!/usr/bin/env bash
# Builds the Debian package from build/, installs it on this machine and checks the
# installed Tovrel: its files, its dependencies, the desktop entry, the manual page, and a
# headless command-line download by the installed program into the installed simulated
# device (the device profile then comes from the installed data folder: no Configuration
# folder stands beside the installed program). Prints one line per check; the exit status is non-zero when any check fails.
set -uo pipefail
cd "$(dirname "$0")/.."

prefix=/usr
work=$(mktemp -d)
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
check_name=package-check
. scripts/check-steps.sh

build_package() {
    rm -rf build/package
    cpack --config build/CPackConfig.cmake -G DEB -B build/package &&
        ls build/package/tovrel_*.deb
}

install_package() {
    local deb
    deb=$(ls build/package/tovrel_*.deb) || return 1
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "./$deb"
}

depends_on_runtime() {
    local depends
    depends=$(dpkg-deb -f build/package/tovrel_*.deb Depends) || return 1
    echo "Depends: $depends"
    for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6svg6 fonts-liberation2 libc6 libstdc++6 \
             libsqlite3-0 libpq5; do
        grep -q "\b$p\b" <<<"$depends" || { echo "missing $p"; return 1; }
    done
}

installed_files() {
    local files
    files=$(dpkg -L tovrel) || return 1
    for f in bin/tovrel bin/pellicon-sim share/tovrel/Configuration/Zerk8QA.txt \
             share/applications/tovrel.desktop share/icons/hicolor/scalable/apps/tovrel.svg \
             share/man/man1/tovrel.1 share/man/man1/pellicon-sim.1; do
        grep -qx "$prefix/$f" <<<"$files" || { echo "missing $prefix/$f"; return 1; }
    done
    # Only the two programs: no test executables, no benchmark.
    if grep "^$prefix/bin/" <<<"$files" | grep -qvxE "$prefix/bin/(tovrel|pellicon-sim)"; then
        grep "^$prefix/bin/" <<<"$files"
        return 1
    fi
}

manual_page() {
    [ "$(man -w tovrel)" = "$prefix/share/man/man1/tovrel.1" ] || { man -w tovrel; return 1; }
    local text
    text=$(MANWIDTH=80 man -P cat tovrel 2>&1) || return 1
    for section in "COMMAND LINE" "PORT MAPPING" "EXIT STATUS" "FILES"; do
        grep -q "^$section" <<<"$text" || { echo "no section $section"; return 1; }
    done
}

# An empty file is an SQLite database without the bench's tables: nothing to report.
report_on_empty_record() {
    local out
    : >"$work/line.db"
    out=$("$prefix/bin/tovrel" --report --db "$work/line.db") || return 1
    [ -z "$out" ] || { echo "$out"; return 1; }
}

start_simulator() {
    serve_simulator "$prefix/bin/pellicon-sim" --state "$work/device-state" || return 1
    head -n 1 "$work/sim-path"
}

headless_download() {
    local port status=0
    port=$(head -n 1 "$work/sim-path")
    env -u DISPLAY -u WAYLAND_DISPLAY TOVREL_COM1="$port" XDG_CONFIG_HOME="$work/config" \
        "$prefix/bin/tovrel" examples/blinky.hex /V /T:0 >"$work/log" 2>"$work/errors" ||
        status=$?
    cat "$work/log" "$work/errors"
    echo "exit status $status"
    [ "$status" -eq 0 ] &&
        grep -q "^RESETTING PART: OK" "$work/log" &&
        grep -q "^VERIFYING USER CODE: .*OK" "$work/log"
}

check "package builds (cpack -G DEB)" build_package
[ -n "$(ls build/package/tovrel_*.deb 2>/dev/null)" ] || finish
check "package depends on the Qt 6 runtime and the database clients" depends_on_runtime
echo "package-check: $(dpkg-deb -f build/package/tovrel_*.deb Package Version Depends | paste -sd' ')"
check "package installs (apt-get install)" install_package
dpkg-query -W -f='${Status}' tovrel 2>/dev/null | grep -q "install ok installed" || finish
check "installed files in $prefix" installed_files
check "desktop entry validates" desktop-file-validate "$prefix/share/applications/tovrel.desktop"
check "man tovrel" manual_page
check "installed tovrel --version" "$prefix/bin/tovrel" --version
check "installed tovrel --report reads an SQLite record" report_on_empty_record
check "installed pellicon-sim starts" start_simulator
[ -n "$sim_pid" ] && check "installed tovrel downloads examples/blinky.hex headless with /V" \
    headless_download
finish
