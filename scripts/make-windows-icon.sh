#!/usr/bin/env bash
# Makes packaging/tovrel.ico, the icon of tovrel.exe on Windows (Explorer's and the window's),
# from packaging/tovrel.svg: the SVG drawn at the sizes Windows asks for (16 to 256 pixels) by
# rsvg-convert (Debian's librsvg2-bin), each kept as a PNG image inside the icon file. Run it
# after the SVG changes and commit the result; the build takes the committed file.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v rsvg-convert >/dev/null || {
    echo "make-windows-icon: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(16 20 24 32 40 48 64 256)
for size in "${sizes[@]}"; do
    rsvg-convert -w "$size" -h "$size" -o "$work/$size.png" packaging/tovrel.svg
done

# An icon file: a 6-byte header, a 16-byte entry per image (its size, 0 meaning 256, and where
# its PNG lies in the file), then the PNGs.
python3 - "$work" packaging/tovrel.ico "${sizes[@]}" <<'PY'
import struct, sys
work, target, sizes = sys.argv[1], sys.argv[2], [int(s) for s in sys.argv[3:]]
images = [open(f"{work}/{s}.png", "rb").read() for s in sizes]
offset = 6 + 16 * len(images)
out = struct.pack("<HHH", 0, 1, len(images))
for size, png in zip(sizes, images):
    side = 0 if size >= 256 else size
    out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(png), offset)
    offset += len(png)
open(target, "wb").write(out + b"".join(images))
PY
echo "packaging/tovrel.ico: ${#sizes[@]} images, $(stat -c %s packaging/tovrel.ico) bytes"
