#!/usr/bin/env bash
# Makes the JPEG pictures of the picture tests and what libjpeg-turbo's own djpeg
# (Debian package libjpeg-turbo-progs) makes of them: colour pictures reduced to
# 128 colours, greyscale pictures with 256 greys, both as 8-bit .bmp files. The
# outputs are committed; run this again only to change the pictures.
set -euo pipefail
cd "$(dirname "$0")"

# A picture with smooth gradients, hard edges and a few pure colours, so that the
# quantiser and its dithering both have work to do.
python3 - <<'PY'
def write(name, width, height, channels, pixel):
    magic = b"P6" if channels == 3 else b"P5"
    with open(name, "wb") as f:
        f.write(magic + b"\n%d %d\n255\n" % (width, height))
        for y in range(height):
            for x in range(width):
                f.write(bytes(pixel(x, y)))

def colour(x, y, w=61, h=37):
    if (x // 8 + y // 8) % 5 == 0:
        return (255, 255, 255)
    if 20 <= x < 30 and 10 <= y < 20:
        return (200, 30, 40)
    return (x * 255 // (w - 1), y * 255 // (h - 1), (x + y) * 255 // (w + h - 2))

write("colour.ppm", 61, 37, 3, colour)
write("small.ppm", 33, 20, 3, lambda x, y: ((x * 7) % 256, (y * 13) % 256, 128))
write("grey.pgm", 45, 29, 1, lambda x, y: [((x * 5) ^ (y * 9)) % 256])
PY
cjpeg -quality 85 colour.ppm > colour.jpg
cjpeg -quality 90 -progressive -sample 1x1 small.ppm > progressive.jpg
cjpeg -quality 80 -grayscale grey.pgm > grey.jpg
rm -f colour.ppm small.ppm grey.pgm
djpeg -colors 128 -bmp colour.jpg > colour.bmp
djpeg -colors 128 -bmp progressive.jpg > progressive.bmp
djpeg -grayscale -bmp grey.jpg > grey.bmp
