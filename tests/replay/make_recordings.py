#!/usr/bin/env python3
"""Writes recordings made to take a replay's time and memory, for measuring
what the game does with them:

    make_recordings.py OUT-FOLDER GAME.rec [SHARE]

Each starts as GAME.rec does, up to its first key (the program starting up),
so that the game follows it that far. SHARE (1 unless given) writes that
share of each file's events, e.g. 16 for a sixteenth.
"""
import os
import sys
import zlib

MAGIC = b"CLANKORA REPLAY\n"
MAX_EVENT_BYTES = 32 << 20
MAX_BLOCK = 64 << 10
READING, KEY, SEED, START_LEVEL, END = 0, 1, 2, 3, 6
VK_SPACE, VK_ADD, VK_SUBTRACT = 32, 107, 109


def varint(v):
    out = bytearray()
    while v >= 0x80:
        out.append((v & 0x7F) | 0x80)
        v >>= 7
    out.append(v)
    return bytes(out)


def read_varint(b, i):
    v = shift = 0
    while True:
        c = b[i]
        i += 1
        v |= (c & 0x7F) << shift
        shift += 7
        if not c & 0x80:
            return v, i


def zigzag(v):
    return ((v << 1) ^ (v >> 31)) & 0xFFFFFFFF


def opening(path):
    """The rules, settings and events of a format 3 recording up to its first key."""
    b = open(path, "rb").read()
    i = len(MAGIC)
    fmt, i = read_varint(b, i)
    assert fmt == 3, "a recording of format 3"
    blocks = []
    while i < len(b):
        _, i = read_varint(b, i)
        p, i = read_varint(b, i)
        blocks.append(zlib.decompress(b[i:i + p]))
        i += p
    header = blocks.pop(0)
    rules, j = read_varint(header, 0)
    n, j = read_varint(header, j)
    settings = header[j + n:]
    events = bytearray()
    for raw in blocks:
        j = 0
        while j < len(raw):
            start = j
            tag, j = read_varint(raw, j)
            if tag & 15 == KEY:
                return rules, settings, bytes(events)
            if tag & 15 == SEED:
                _, j = read_varint(raw, j)
            events += raw[start:j]
    raise SystemExit(f"{path} holds no key")


class Writer:
    """Packs events in blocks as the game's writer does."""

    def __init__(self, start):
        rules, settings, events = start
        version = b"1.1"
        self.out = bytearray(MAGIC + varint(3))
        self.block(varint(rules) + varint(len(version)) + version + settings)
        self.pending = bytearray()
        self.size = 0
        self.add(events)

    def block(self, raw):
        packed = zlib.compress(bytes(raw), 9)
        self.out += varint(len(raw)) + varint(len(packed)) + packed

    def add(self, encoded):
        if len(self.pending) + 11 > MAX_BLOCK:
            self.block(self.pending)
            self.pending = bytearray()
        self.pending += encoded
        self.size += len(encoded)

    def fill(self, event, share):
        """Adds events made by event(n) while the recording has room for them and End."""
        room = (MAX_EVENT_BYTES - self.size) // share
        n = 0
        while True:
            encoded = event(n)
            if len(encoded) + 1 > room:
                return n
            room -= len(encoded)
            self.add(encoded)
            n += 1

    def finish(self, path):
        self.add(varint(END))
        self.block(self.pending)
        with open(path, "wb") as f:
            f.write(self.out)


def main():
    out, game = sys.argv[1], sys.argv[2]
    share = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    start = opening(game)
    os.makedirs(out, exist_ok=True)
    space = varint(VK_SPACE << 4 | KEY)
    level = [varint(VK_ADD << 4 | KEY), varint(VK_SUBTRACT << 4 | KEY)]
    still = varint(READING)
    settings = [varint(zigzag(3) << 4 | START_LEVEL), varint(zigzag(4) << 4 | START_LEVEL)]
    files = {
        # Space pressed over and over: the game starts, then drops bombs.
        "space-presses.rec": lambda n: space,
        # The clock read over and over with no time passing.
        "still-clock.rec": lambda n: still,
        # The level raised and lowered.
        "level-keys.rec": lambda n: level[n % 2],
        # The start level changed in the settings, one byte each.
        "dense-settings.rec": lambda n: settings[n % 2],
        # The generator seeded again and again.
        "dense-seeds.rec": lambda n: varint(SEED) + varint(n),
    }
    for name, event in files.items():
        w = Writer(start)
        count = w.fill(event, share)
        w.finish(os.path.join(out, name))
        print(f"{name}: {count} events after the opening, {len(w.out)} bytes")


if __name__ == "__main__":
    main()
