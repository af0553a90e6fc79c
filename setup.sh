#!/usr/bin/env bash
# Installs what Tovrel needs from Debian's packages, builds it, and then
#   ./setup.sh demo       runs a download into the simulated device
#   ./setup.sh test       runs every test through ctest, builds, installs and checks the Debian
#                         package, runs each fuzz target for 30 seconds, and runs every test
#                         again built with the address and UB sanitizers (this is what CI runs)
#   ./setup.sh sanitize   runs every test built with the address and UB sanitizers
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake make g++ pkg-config qt6-base-dev qt6-serialport-dev libgtest-dev libgmock-dev
          fonts-dejavu-core fonts-liberation2 xvfb xauth dpkg-dev desktop-file-utils man-db clang
          libclang-rt-14-dev)
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

preset=default
[ "${1:-}" = sanitize ] && preset=sanitize
builddir=build; [ "$preset" = sanitize ] && builddir=build-sanitize
[ -f "$builddir/CMakeCache.txt" ] || cmake --preset "$preset" >&2
cmake --build --preset "$preset" >&2

case "${1:-demo}" in
    demo) exec ./scripts/demo.sh ;;
    test)
        # Every part runs even when an earlier one failed; the run fails when any part does.
        # ctest's summaries are repeated last, so they close the output.
        status=0
        ctest --preset default | tee build/ctest-output.txt || status=1
        ./scripts/package-check.sh || status=1
        ./fuzz/run.sh "${TOVREL_FUZZ_SECONDS:-30}" || status=1
        [ -f build-sanitize/CMakeCache.txt ] || cmake --preset sanitize >&2
        if cmake --build --preset sanitize >&2; then
            ctest --preset sanitize | tee build-sanitize/ctest-output.txt || status=1
        else
            status=1
        fi
        echo "ctest summary (default build, then sanitizer build):"
        grep -h -E "tests passed|Total Test time" build/ctest-output.txt \
            build-sanitize/ctest-output.txt || status=1
        exit "$status" ;;
    sanitize) exec ctest --preset "$preset" ;;
    *) echo "usage: $0 demo|test|sanitize" >&2; exit 2 ;;
esac
