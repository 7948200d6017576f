#!/usr/bin/env python3
"""Writes the PNG seeds of corpus/png: a few small valid pictures in the
formats a decoder must handle, and the hostile files the loader must refuse
cheaply. Run it from this folder; the output is committed."""
import struct
import zlib


def chunk(kind, data, length=None):
    length = len(data) if length is None else length
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", length) + kind + data + struct.pack(">I", crc)


SIGNATURE = b"\x89PNG\r\n\x1a\n"


def ihdr(width, height, depth, colour, interlace=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))


def png(width, height, depth, colour, rows, extra=b""):
    raw = b"".join(b"\x00" + row for row in rows)
    return SIGNATURE + ihdr(width, height, depth, colour) + extra + \
        chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def interlaced_grey(width, height, pixel):
    """An 8-bit grey picture in the seven passes of interlacing."""
    raw = b""
    for x0, y0, dx, dy in ADAM7:
        xs, ys = range(x0, width, dx), range(y0, height, dy)
        if len(xs) and len(ys):
            raw += b"".join(b"\x00" + bytes(pixel(x, y) for x in xs) for y in ys)
    return SIGNATURE + ihdr(width, height, 8, 0, 1) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def write(name, data):
    with open("corpus/png/" + name, "wb") as f:
        f.write(data)


# Valid pictures: RGBA, RGB, a palette with transparency, grey of 1 bit, 16-bit, interlaced.
write("rgba-4x3.png", png(4, 3, 8, 6, [b"".join(bytes([x * 60, y * 80, 200, 255 - x * 50]) for x in range(4))
                                      for y in range(3)]))
write("rgb-3x2.png", png(3, 2, 8, 2, [b"\xff\x00\x00\x00\xff\x00\x00\x00\xff"] * 2))
write("palette-trns-2x2.png", png(2, 2, 8, 3, [b"\x00\x01", b"\x01\x00"],
                                  extra=chunk(b"PLTE", b"\xff\xff\x00\x00\x00\xff") + chunk(b"tRNS", b"\x80")))
write("grey1-8x1.png", png(8, 1, 1, 0, [b"\xa5"]))
write("rgba16-1x1.png", png(1, 1, 16, 6, [b"\x12\x34\x56\x78\x9a\xbc\xff\xff"]))
write("interlaced-3x3.png", interlaced_grey(3, 3, lambda x, y: 0x10 + 0x70 * x + y))
write("text-chunks-2x1.png", png(2, 1, 8, 2, [b"\x01\x02\x03\x04\x05\x06"],
                                 extra=chunk(b"tEXt", b"Comment\x00made here") +
                                 chunk(b"zTXt", b"Comment\x00\x00" + zlib.compress(b"x" * 1000))))

# Hostile: 57 bytes whose compressed text chunk claims 1.4 GB.
hostile = SIGNATURE + ihdr(1, 1, 8, 6) + struct.pack(">I", 1_400_000_000) + b"zTXt" + b"C\x00\x00x" + \
    chunk(b"IEND", b"")
assert len(hostile) == 57
write("ztxt-claims-1400mb.png", hostile)
# Hostile: a header claiming 8000 x 8000 pixels, with a few bytes of picture.
write("claims-8000x8000.png", SIGNATURE + ihdr(8000, 8000, 8, 6) + chunk(b"IDAT", zlib.compress(b"\x00" * 64)) +
      chunk(b"IEND", b""))
# Hostile: a compressed text chunk that inflates to 64 MB.
write("ztxt-inflates-to-64mb.png", png(1, 1, 8, 6, [b"\x00\x00\x00\xff"],
                                        extra=chunk(b"zTXt", b"Comment\x00\x00" +
                                                    zlib.compress(b"\x00" * (64 << 20), 9))))
# Damaged: cut off inside the picture data, and a chunk length past the end of the file.
whole = png(4, 3, 8, 6, [b"\x80" * 16] * 3)
write("cut-short.png", whole[:len(whole) - 20])
write("idat-claims-too-much.png", SIGNATURE + ihdr(1, 1, 8, 6) + struct.pack(">I", 100000) + b"IDAT" + b"\x78\x9c")
