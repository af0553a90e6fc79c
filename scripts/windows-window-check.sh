#!/usr/bin/env bash
# Checks the window's Windows zip (build-windows-window, made with the Qt of
# scripts/windows-qt.sh) as a user would meet it, under wine on a virtual display (Xvfb):
#   - the zip holds tovrel.exe with exactly the DLLs and plugins it needs;
#   - the main window comes up at 641 x 473 pixels and identifies the simulated device
#     (pellicon-sim from build/bin, reached as COM1 through a link in the check's own wine
#     prefix) before anything is pressed;
#   - Download, a file name typed into the file dialog and Enter download examples/blinky.hex:
#     the status log (copied through the clipboard) says so and the device's flash holds it;
#   - the configuration panel opens and closes (the window's caption says which page shows);
#   - closing the window (Alt+F4, the close box's system command) saves the settings into the
#     registry, read back with `wine reg query`;
#   - the window carries the program's icon, and started as Explorer starts it, in a console
#     of its own, it lets that console go.
# A screenshot of the window after the download goes to $TOVREL_WINDOW_SHOT when set. Prints
# one line per check (with TOVREL_CHECK_VERBOSE set, what each found as well); the exit status
# is non-zero when any check fails.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build-windows-window
sim=build/bin/pellicon-sim
work=$(mktemp -d)
export WINEPREFIX="$work/wine" WINEDEBUG=-all
registry_key='HKCU\Software\VB and VBA Program Settings\Tovrel\8051'
width=641 height=473
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
check_name=windows-window-check
. scripts/check-steps.sh

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt" 2>/dev/null)
zip="$build/package/tovrel-$version-win64.zip"
folder="$work/unpacked/tovrel-$version-win64"

build_zip() {
    rm -rf "$build/package"
    cpack --config "$build/CPackConfig.cmake" -B "$build/package" && ls -l "$zip"
}

# The DLLs a PE file imports, in lower case.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'; }

# Qt's DLLs and the two plugins are there; every DLL that the program or a DLL of the zip
# imports is in the zip or is the system's own; every DLL of the zip is imported or a plugin.
zip_contents() {
    unzip -Z1 "$zip" | sed "s|^tovrel-$version-win64/||" | sort | tee "$work/listing"
    local missing=0 f
    for f in tovrel.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
        styles/qwindowsvistastyle.dll Configuration/Zerk8QA.txt; do
        grep -qx "$f" "$work/listing" || { echo "missing $f"; missing=1; }
    done
    [ "$missing" -eq 0 ] || return 1
    find "$folder" -maxdepth 1 -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z' | sort >"$work/shipped"
    : >"$work/imported"
    local pe
    while IFS= read -r pe; do imports "$pe" >>"$work/imported"; done < <(
        find "$folder" -iname '*.exe' -o -iname '*.dll')
    sort -u -o "$work/imported" "$work/imported"
    echo "system DLLs imported:"
    comm -23 "$work/imported" "$work/shipped" | tee "$work/system" | tr '\n' ' '
    echo
    # What no Windows has: a DLL from the compiler or from Qt left behind.
    ! grep -E '^(qt6|lib)' "$work/system" || return 1
    local unused
    unused=$(comm -13 "$work/imported" "$work/shipped")
    [ -z "$unused" ] || { echo "shipped but imported by nothing: $unused"; return 1; }
}

start_display() {
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
        pids+=($!)
        export DISPLAY=":$n"
        wait_for 10 xdpyinfo && { echo "display $DISPLAY"; return 0; }
    done
    return 1
}

# The prefix's server runs as a child of this script, so it is no session leader: a
# pseudo-terminal that closes cannot hang it up. Wine writes to files, never to pipes.
start_wine() {
    wineserver -f -p >"$work/wineserver.log" 2>&1 &
    pids+=($!)
    (cd "$folder" && wine tovrel.exe --version >"$work/version" 2>"$work/wine-errors")
    cat "$work/version"
    grep -qx "Tovrel $version" <(tr -d '\r' <"$work/version")
}

# Only COM1 is named beforehand, so every other key in the registry afterwards was saved by
# the program.
start_simulator() {
    local served=0
    serve_simulator "$sim" --state "$work/device-state" --trace "$work/device-trace" || served=1
    pids+=("$sim_pid")
    [ "$served" -eq 0 ] || return 1
    wine reg add "$registry_key" /v Comport /t REG_SZ /d 1 /f >"$work/reg-add" 2>&1 || return 1
    ln -sfn "$(head -n 1 "$work/sim-path")" "$WINEPREFIX/dosdevices/com1"
    ls -l "$WINEPREFIX/dosdevices/com1"
}

window=""
window_named() { window=$(xdotool search --onlyvisible --name "^$1\$" | head -n 1) && [ -n "$window" ]; }

# The X window may carry wine's own frame around the client area: the offsets of the client
# area within it.
frame_x=0 frame_y=0
client_size() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "X window ${WIDTH}x$HEIGHT"
    frame_x=$(((WIDTH - width) / 2))
    frame_y=$((HEIGHT - height - frame_x))
    [ "$frame_x" -ge 0 ] && [ "$frame_y" -ge 0 ]
}

click() {  # click X Y: a click at that point of the window's client area
    xdotool mousemove --window "$window" $((frame_x + $1)) $((frame_y + $2)) click 1
}

# Control positions: the form's twips at 96 dpi (15 twips a pixel), at their centres.
download_button=(388 159)
configuration_button=(100 159)
status_log=(320 348)

start_window() {
    cp examples/blinky.hex "$folder/"
    (cd "$folder" && exec wine tovrel.exe >"$work/window-out" 2>"$work/window-errors") &
    pids+=($!)
    wait_for 60 window_named Tovrel || { cat "$work/window-errors"; return 1; }
    sleep 1
    xwininfo -id "$window" | grep -E 'Width|Height'
    client_size || return 1
    echo "client area offset in the X window: $frame_x,$frame_y"
    # Qt's own idea of the window: the client area is what the form was drawn as.
    [ "$(xwininfo -id "$window" | sed -n 's/^ *Width: //p')" -eq $((width + 2 * frame_x)) ]
}

# The window's icon as wine hands it to the display: the pixels of the icon's green arrow
# (#3fb66b, opaque) among them.
window_icon() {
    local green
    green=$(xprop -id "$window" -f _NET_WM_ICON 32x _NET_WM_ICON | tr ',' '\n' |
        grep -ci '^ *0xff3fb66b$')
    echo "$green pixels of the arrow's green"
    [ "$green" -gt 0 ]
}

identified_at_start() {
    # The identification's exchange ends before the window first shows.
    grep -E ' (RX|TX) [0-9A-F]+ ID ' "$work/device-trace" | head -n 4
    grep -qE ' TX [0-9A-F]+ ID ' "$work/device-trace"
}

status_text() {  # the status log, through the clipboard
    click "${status_log[@]}"
    xdotool key ctrl+a ctrl+c
    sleep 0.3
    xclip -selection clipboard -o 2>/dev/null | tr -d '\r'
}

download_done() { status_text >"$work/status" && grep -q '^RESETTING PART: OK' "$work/status"; }

download_through_window() {
    local main=$window
    click "${download_button[@]}"
    # The file dialog: whichever window is new and visible.
    wait_for 20 bash -c "xdotool search --onlyvisible --name . | grep -vx '$main' | grep -q ." ||
        { echo "no file dialog"; return 1; }
    sleep 1
    xdotool search --onlyvisible --name . | grep -vx "$main" | while read -r w; do
        echo "dialog: $(xdotool getwindowname "$w")"
    done
    xdotool type --delay 50 blinky.hex
    xdotool key Return
    window=$main
    wait_for 120 download_done
    local status=$?
    cat "$work/status"
    # A click clears the selection that copying left, for the picture.
    click "${status_log[@]}"
    sleep 0.5
    [ -z "${TOVREL_WINDOW_SHOT:-}" ] || import -window "$window" "$TOVREL_WINDOW_SHOT"
    return "$status"
}

# The flash of the simulated device holds blinky.hex's bytes where its records put them.
flash_holds_program() {
    python3 - "$work/device-state" examples/blinky.hex <<'EOF'
import sys
state = open(sys.argv[1], 'rb').read()
code = state[state.index(b'\n\n') + 2:]
base, count = 0, 0
for line in open(sys.argv[2]):
    line = line.strip()
    if not line.startswith(':'):
        continue
    raw = bytes.fromhex(line[1:])
    length, address, kind = raw[0], raw[1] << 8 | raw[2], raw[3]
    if kind == 4:
        base = (raw[4] << 8 | raw[5]) << 16
    elif kind == 0:
        data = raw[4:4 + length]
        at = base + address
        if code[at:at + length] != data:
            sys.exit(f'flash differs at {at:04X}')
        count += length
print(f'{count} bytes in place')
EOF
}

configuration_open_close() {
    click "${configuration_button[@]}"
    wait_for 10 window_named Configuration || { echo "the panel did not open"; return 1; }
    echo "caption: Configuration"
    xdotool key alt+o
    wait_for 10 window_named Tovrel || { echo "the panel did not close"; return 1; }
    echo "caption: Tovrel"
}

close_saves_settings() {
    xdotool key alt+F4
    wait_for 20 bash -c "! xdotool search --onlyvisible --name '^Tovrel\$' | grep -q ." ||
        { echo "the window did not close"; return 1; }
    wine reg query "$registry_key" >"$work/registry" 2>&1
    tr -d '\r' <"$work/registry" | tee "$work/registry.txt"
    local key
    for key in Comport PCBaudrate XTAL EraseMode DownloadMode LockMode SecureMode SerialSafeMode \
        RunAddress RunAfterDownload VerifyAfterDownload GenVerifyFiles Bootload \
        SecurityBitsOption FastBaudrateOption VerifyAfterDownloadOption BootloadOption; do
        grep -qE "^ +$key +REG_SZ +" "$work/registry.txt" || { echo "no $key"; return 1; }
    done
}

# Started as Explorer starts it (wine start: a console of its own), the window's program lets
# that console go: no window named after tovrel.exe stands beside the main window.
no_console_from_explorer() {
    (cd "$folder" && exec wine start tovrel.exe >"$work/start-out" 2>"$work/start-errors")
    wait_for 60 window_named Tovrel || { cat "$work/start-errors"; return 1; }
    sleep 2
    xdotool search --onlyvisible --name . | while read -r w; do
        echo "window: $(xdotool getwindowname "$w")"
    done | tee "$work/windows"
    local console
    console=$(grep -ci 'tovrel\.exe$' "$work/windows")
    xdotool key --window "$window" alt+F4 2>/dev/null
    wait_for 20 bash -c "! xdotool search --onlyvisible --name '^Tovrel\$' | grep -q ."
    [ "$console" -eq 0 ]
}

[ -n "$version" ] || {
    echo "windows-window-check: $build is not configured (cmake --preset windows-window)"
    exit 1
}
check "zip builds (cpack -G ZIP)" build_zip
[ -f "$zip" ] || finish
mkdir -p "$work/unpacked" && unzip -q "$zip" -d "$work/unpacked"
check "zip holds tovrel.exe with exactly the DLLs and plugins it needs" zip_contents
check "virtual display (Xvfb)" start_display
[ -n "${DISPLAY:-}" ] || finish
check "unpacked tovrel.exe --version under wine" start_wine
check "simulated device ($sim) on COM1" start_simulator
check "main window shows at ${width} x ${height}" start_window
[ -n "$window" ] || finish
check "window carries the program's icon" window_icon
check "device identified at start" identified_at_start
check "download of blinky.hex through the window and the file dialog" download_through_window
check "device's flash holds blinky.hex" flash_holds_program
check "configuration panel opens and closes" configuration_open_close
check "closing the window saves the settings into the registry" close_saves_settings
check "started as from Explorer, no console beside the window" no_console_from_explorer
finish
