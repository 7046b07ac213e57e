"""Small image containers written with the standard library only: PNG, and the Windows
ICO / CUR icon formats with one 32-bit BGRA image each.

An image is (width, height, pixels) with pixels a flat list of (r, g, b, a) tuples, 0..255,
row by row from the top.
"""

import struct
import zlib


def png_bytes(width, height, pixels):
    """An 8-bit RGBA PNG file."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # filter type: none
        for r, g, b, a in pixels[y * width:(y + 1) * width]:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def _dib(width, height, pixels):
    """The bitmap stored in an ICO/CUR entry: a BITMAPINFOHEADER of twice the height (colour
    bitmap plus mask), the BGRA rows bottom-up, then the 1-bit AND mask (set = transparent),
    rows padded to 32 bits."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for y in reversed(range(height)):
        for r, g, b, a in pixels[y * width:(y + 1) * width]:
            colour += bytes((b, g, r, a))
    mask = bytearray()
    row_bytes = ((width + 31) // 32) * 4
    for y in reversed(range(height)):
        row = bytearray(row_bytes)
        for x in range(width):
            if pixels[y * width + x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(colour) + bytes(mask)


def _icon_container(kind, width, height, pixels, field1, field2):
    dib = _dib(width, height, pixels)
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, field1, field2, len(dib),
                        6 + 16)
    return directory + entry + dib


def ico_bytes(width, height, pixels):
    """An icon file (type 1): planes 1, 32 bits per pixel."""
    return _icon_container(1, width, height, pixels, 1, 32)


def cur_bytes(width, height, pixels, hot_x, hot_y):
    """A cursor file (type 2): the entry carries the hotspot where an icon has planes and
    bit count."""
    return _icon_container(2, width, height, pixels, hot_x, hot_y)


def scaled(width, height, pixels, factor, background=(236, 236, 236)):
    """A magnified copy on a plain background, for looking at a small picture."""
    out = []
    for y in range(height * factor):
        for x in range(width * factor):
            r, g, b, a = pixels[(y // factor) * width + x // factor]
            k = a / 255.0
            out.append(tuple(int(round(c * k + bg * (1 - k)))
                             for c, bg in zip((r, g, b), background)) + (255,))
    return width * factor, height * factor, out
