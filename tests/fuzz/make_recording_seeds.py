#!/usr/bin/env python3
"""Writes the recording seeds of corpus/recording: small recordings of both
formats the reader takes, one that ends early, and the hostile files it must
refuse at once, without the memory or time they claim. Run it from this
folder; the output is committed."""
import zlib

MAGIC = b"CLANKORA REPLAY\n"
RULES = 1
MAX_BLOCK = 64 << 10
MAX_EVENTS = 32 << 20
READING, KEY, END = 0, 1, 6


def varint(v):
    out = bytearray()
    while v >= 0x80:
        out.append(v & 0x7F | 0x80)
        v >>= 7
    out.append(v)
    return bytes(out)


def zigzag(v):
    return ((v << 1) ^ (v >> 31)) & 0xFFFFFFFF


def settings(level=5, generator=1, seed=12345, sound=1):
    return varint(zigzag(level)) + varint(zigzag(generator)) + varint(seed) + varint(sound)


def header(rules=RULES, version=b"1.1", **kw):
    return varint(rules) + varint(len(version)) + version + settings(**kw)


def block(raw, size=None):
    packed = zlib.compress(raw, 9)
    return varint(len(raw) if size is None else size) + varint(len(packed)) + packed


def format3(head, blocks):
    return MAGIC + varint(3) + block(head) + b"".join(block(b) for b in blocks)


def format2(version, body, size=None):
    return MAGIC + varint(2) + varint(len(version)) + version + \
        varint(len(body) if size is None else size) + zlib.compress(body, 9)


def events(bits, moments):
    """A short game: a reading every 16 ms, a key now and then, no End."""
    out = bytearray()
    for i in range(moments):
        out += varint(16 << bits | READING)
        if i % 5 == 0:
            out += varint((37 + i % 4) << bits | KEY)
    return bytes(out)


SEEDS = {
    "format3-game.rec": format3(header(), [events(4, 40), events(4, 40) + varint(END)]),
    "format3-ends-early.rec": format3(header(), [events(4, 40)]) + b"\x90\x03\x41",
    "format2-game.rec": format2(b"1.0", settings() + events(3, 60) + varint(END)),
    "format2-other-version.rec": format2(b"0.9", settings() + varint(END)),
    "format3-other-rules.rec": format3(header(rules=2, version=b"9.9"), [varint(END)]),
    "version-with-escape-and-nul.rec": format3(header(rules=2, version=b"1\x1b[2J\x00x"), [varint(END)]),
    "start-level-0.rec": format3(header(level=0), [varint(END)]),
    "start-level-11.rec": format3(header(level=11), [varint(END)]),
    "start-level-min-int.rec": format3(header(level=-2**31), [varint(END)]),
    "generator-3.rec": format3(header(generator=3), [varint(END)]),
    "new-game-at-level-12.rec": format3(header(), [varint(zigzag(12) << 4 | 5) + varint(END)]),
    # A block of a terabyte, declared in ten bytes.
    "block-claims-a-terabyte.rec": format3(header(), []) + varint(1 << 40) + varint(10) + bytes(10),
    # Blocks of the largest size, each a few dozen bytes packed, past the longest game.
    "blocks-beyond-the-longest-game.rec": format3(header(), [bytes(MAX_BLOCK)] * (MAX_EVENTS // MAX_BLOCK + 1)),
    "block-unpacks-to-more-than-it-says.rec": format3(header(), []) + block(bytes(MAX_BLOCK), size=100),
    # 256 MiB declared in 40 bytes, and 256 MiB of readings packed in 261 KB.
    "old-claims-256mib.rec": (format2(b"1.0", b"", size=256 << 20)[:40]).ljust(40, b"x"),
    "old-bomb-256mib.rec": format2(b"1.0", settings() + bytes((256 << 20) - 12) + varint(END)),
}

for name, data in SEEDS.items():
    with open("corpus/recording/" + name, "wb") as f:
        f.write(data)
