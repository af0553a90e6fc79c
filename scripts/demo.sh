#!/usr/bin/env bash
# The main job: Tovrel downloads the example program into the simulated device.
#
# Starts pellicon-sim on a pseudo-terminal, maps COM1 to it and then
#   - with a display: opens the main window (press Download and choose examples/blinky.hex);
#   - without one: runs the command-line download of examples/blinky.hex and
#     examples/dataflash.txt with verify, and prints its status log.
# Settings live in a temporary folder for the demo, so the user's own stay untouched.
# The exit status is Tovrel's.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build/bin
for program in tovrel pellicon-sim; do
    if [ ! -x "$bin/$program" ]; then
        echo "demo: $bin/$program is missing; build first (./setup.sh demo does)" >&2
        exit 2
    fi
done

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

"$bin/pellicon-sim" --state "$work/device-state" >"$work/sim-path" 2>"$work/sim-errors" &
sim_pid=$!
# The simulator prints the terminal's path as its only line once it serves.
for _ in $(seq 1 100); do
    [ -s "$work/sim-path" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
done
port=$(head -n 1 "$work/sim-path" 2>/dev/null || true)
if [ -z "$port" ]; then
    echo "demo: the simulated device did not start:" >&2
    cat "$work/sim-errors" >&2
    exit 2
fi

export TOVREL_COM1="$port"
export XDG_CONFIG_HOME="$work/config"
status=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: simulated device on $port as COM1; press Download and choose examples/blinky.hex" >&2
    "$bin/tovrel" || status=$?
else
    echo "demo: simulated device on $port as COM1; no display, so a command-line download:" >&2
    echo "demo: tovrel examples/blinky.hex examples/dataflash.txt /M:0 /V" >&2
    "$bin/tovrel" examples/blinky.hex examples/dataflash.txt /M:0 /V || status=$?
    echo "demo: tovrel ended with exit status $status" >&2
fi
exit "$status"
