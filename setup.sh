#!/usr/bin/env bash
# Installs what Tovrel needs from Debian's packages, builds it, and then
#   ./setup.sh demo       runs a download into the simulated device
#   ./setup.sh test       runs every test through ctest, then builds, installs and checks
#                         the Debian package (scripts/package-check.sh)
#   ./setup.sh sanitize   runs every test built with the address and UB sanitizers
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake make g++ pkg-config qt6-base-dev qt6-serialport-dev libgtest-dev libgmock-dev
          fonts-dejavu-core xvfb xauth dpkg-dev desktop-file-utils man-db)
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
        # ctest's summary closes the output, so the package's checks come before it is
        # repeated; the run fails when either part does.
        status=0
        ctest --preset "$preset" | tee "$builddir/ctest-output.txt" || status=1
        ./scripts/package-check.sh || status=1
        echo "ctest summary:"
        grep -E "tests passed|Total Test time" "$builddir/ctest-output.txt" || status=1
        exit "$status" ;;
    sanitize) exec ctest --preset "$preset" ;;
    *) echo "usage: $0 demo|test|sanitize" >&2; exit 2 ;;
esac
