"""Writers for the .ico and .bmp files the programs' resources use."""
import struct


def ico(size, pixel):
    """A one-image .ico of size x size, 32 bits a pixel; pixel(x, y) gives (r, g, b, a), y down."""
    rows = []
    for y in reversed(range(size)):
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in (pixel(x, y) for x in range(size))))
    mask_row = ((size + 31) // 32) * 4
    image = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0) + b"".join(rows) + b"\0" * mask_row * size
    header = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 22)
    return header + image


def bmp(width, height, pixel):
    """A 24-bit .bmp; pixel(x, y) gives (r, g, b), y down."""
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):
        row = b"".join(struct.pack("BBB", b, g, r) for (r, g, b) in (pixel(x, y) for x in range(width)))
        rows.append(row + b"\0" * (stride - width * 3))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54) + info + data
