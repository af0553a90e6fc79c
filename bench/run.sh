#!/usr/bin/env bash
# Builds the program, the simulated device and the benchmark, then times every download
# case in wire time and prints one table (and, with --csv FILE, writes it as CSV).
#
#   ./bench/run.sh [--csv FILE] [--quick] [--floor] [--only TEXT] [--work DIR] [--wine EXE]
#
# --quick runs only the cases at 115200 baud, the bench cases over 1, 4 and 8 devices
# included, with and without a database (about two and a half minutes); the full set adds
# the single-device cases at 9600 baud and the two downloads through a USB adapter's 1 and
# 16 ms latency timer, and takes about twelve minutes. --floor replays every case once
# more with a bare client, to show the gaps the test bed itself leaves (twice the time).
# --only runs the cases whose name contains TEXT; --work keeps the inputs, logs and
# traces in DIR. --wine EXE runs the single-port cases with the Windows program EXE under
# wine (build it with cmake --preset windows && cmake --build --preset windows).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default --target tovrel-bench tovrel-store-bench >/dev/null
exec build/bin/tovrel-bench "$@"
