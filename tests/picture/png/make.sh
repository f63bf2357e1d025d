#!/usr/bin/env bash
# Makes the PNG files of the image tests with encoders that are not ours:
# netpbm's pnmtopng and ImageMagick, from one 72x14 picture (the operator
# logo of samples/) drawn in a dark and a light grey or colour. Every file
# shows the same picture; only its colour type, bit depth and interlacing
# differ. bad-index.png is pal.png with its palette cut to one colour, so
# that half of its pixels index past it.
#   tests/picture/png/make.sh   (needs netpbm, imagemagick, python3-pil)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
/usr/bin/python3 - "$here/../../../samples/pictures/operator_logo_image.png" <<'PY'
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert('L')
w, h = im.size
dark = [im.getpixel((x, y)) < 128 for y in range(h) for x in range(w)]
def write(name, magic, maxval, dark_value, light_value):
    with open(name, 'wb') as f:
        f.write(b'%s %d %d %d\n' % (magic, w, h, maxval))
        for d in dark:
            for v in (dark_value if d else light_value):
                f.write(v.to_bytes(2 if maxval > 255 else 1, 'big'))
write('g8.pgm', b'P5', 255, (60,), (200,))
write('g16.pgm', b'P5', 65535, (60 * 257,), (200 * 257,))
write('rgb8.ppm', b'P6', 255, (90, 20, 40), (250, 230, 10))
write('rgb16.ppm', b'P6', 65535, (90 * 257, 20 * 257, 40 * 257), (250 * 257, 230 * 257, 10 * 257))
PY
for name in g8 g16; do
    pnmtopng -force "$name.pgm" >"$here/$name.png"
    pnmtopng -force -interlace "$name.pgm" >"$here/${name}i.png"
done
for name in rgb8 rgb16; do
    pnmtopng -force "$name.ppm" >"$here/$name.png"
    pnmtopng -force -interlace "$name.ppm" >"$here/${name}i.png"
done
pnmtopng rgb8.ppm >"$here/pal.png"
pnmtopng -interlace rgb8.ppm >"$here/pali.png"
im=convert-im6
"$im" rgb8.ppm -depth 16 -interlace PNG png48:"$here/im48i.png"
"$im" rgb8.ppm -depth 16 -alpha on png64:"$here/im64.png"
"$im" rgb8.ppm -depth 16 -alpha on -interlace PNG png64:"$here/im64i.png"
"$im" rgb8.ppm -interlace PNG png8:"$here/im8i.png"
"$im" g16.pgm -depth 16 -alpha on -interlace PNG "$here/imgai.png"
/usr/bin/python3 - "$here/pal.png" "$here/bad-index.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
out, at = data[:8], 8
while at < len(data):
    length, kind = struct.unpack('>I4s', data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    if kind == b'PLTE':
        body = body[:3]
    out += struct.pack('>I4s', len(body), kind) + body + struct.pack('>I', zlib.crc32(kind + body))
    at += 12 + length
open(sys.argv[2], 'wb').write(out)
PY
