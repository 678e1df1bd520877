#!/usr/bin/env python3
"""Writes the intro video of examples/intro: a two-second AVI file of the kind games of the time
shipped, with run-length-coded 8-bit pictures (Microsoft RLE) and 8-bit PCM sound.

The picture is 96 x 72: on dark blue, a yellow block slides from the left to the middle and stops
there while three red bars grow under it; the sound is a rising tone that fades out. Only the
standard library is used.

    python3 examples/make_intro_video.py [OUTPUT]
"""
import math
import struct
import sys
from pathlib import Path

WIDTH, HEIGHT = 96, 72
FRAMES, FPS = 16, 8
RATE = 11025
PALETTE = [(0, 0, 0), (24, 32, 112), (255, 220, 40), (200, 30, 30)]  # 0 unused, then blue, yellow, red
BLUE, YELLOW, RED = 1, 2, 3


def picture(frame):
    """The frame as rows of palette indices, top row first."""
    rows = [[BLUE] * WIDTH for _ in range(HEIGHT)]
    progress = min(1.0, frame / (FRAMES * 0.6))
    left = int(4 + progress * (WIDTH / 2 - 12 - 4))
    for y in range(14, 38):
        for x in range(max(0, left), min(WIDTH, left + 24)):
            rows[y][x] = YELLOW
    bar = int(10 + progress * 50)
    for k in range(3):
        y0 = 46 + k * 7
        for y in range(y0, y0 + 4):
            for x in range(18, 18 + bar):
                rows[y][x] = RED
    return rows


def rle8(rows):
    """Microsoft RLE of 8-bit rows: bottom row first, runs of (count, index), 0 0 ends a row,
    0 1 ends the picture."""
    out = bytearray()
    for row in reversed(rows):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and row[x + run] == row[x] and run < 255:
                run += 1
            out += bytes((run, row[x]))
            x += run
        out += b"\x00\x00"
    out += b"\x00\x01"
    return bytes(out)


def sound():
    """Unsigned 8-bit mono samples: a tone rising from 330 to 660 Hz, fading out at the end."""
    count = RATE * FRAMES // FPS
    samples = bytearray()
    phase = 0.0
    for i in range(count):
        t = i / count
        phase += 2 * math.pi * (330 + 330 * t) / RATE
        level = 0.5 * min(1.0, (1 - t) * 4)
        samples.append(128 + int(127 * level * math.sin(phase)))
    return bytes(samples)


def chunk(fourcc, data):
    pad = b"\x00" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def lst(kind, *parts):
    return chunk(b"LIST", kind + b"".join(parts))


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent / "intro/included_files/data/intro.avi"
    pictures = [rle8(picture(f)) for f in range(FRAMES)]
    samples = sound()
    per_frame = len(samples) // FRAMES

    # The movie: each picture followed by the sound of its time.
    movi = bytearray(b"movi")
    index = bytearray()
    for f, data in enumerate(pictures):
        for fourcc, payload in ((b"00dc", data), (b"01wb", samples[f * per_frame:(f + 1) * per_frame])):
            index += fourcc + struct.pack("<III", 0x10, len(movi), len(payload))
            movi += chunk(fourcc, payload)
    largest = max(len(p) for p in pictures)

    avih = struct.pack("<IIIIIIIIII4I", 1000000 // FPS, largest * FPS + RATE, 0, 0x10, FRAMES, 0, 2,
                       largest, WIDTH, HEIGHT, 0, 0, 0, 0)
    video_header = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"mrle", 0, 0, 0, 0, 1, FPS, 0, FRAMES,
                               largest, 0xFFFFFFFF, 0, 0, 0, WIDTH, HEIGHT)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE + [(0, 0, 0)] * (256 - len(PALETTE)))
    video_format = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 1, 0, 0, 0, 256, 0) + palette
    sound_header = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"auds", b"\x00\x00\x00\x00", 0, 0, 0, 0, 1, RATE, 0,
                               len(samples), per_frame, 0xFFFFFFFF, 1, 0, 0, 0, 0)
    sound_format = struct.pack("<HHIIHHH", 1, 1, RATE, RATE, 1, 8, 0)

    header = lst(b"hdrl", chunk(b"avih", avih),
                 lst(b"strl", chunk(b"strh", video_header), chunk(b"strf", video_format)),
                 lst(b"strl", chunk(b"strh", sound_header), chunk(b"strf", sound_format)))
    body = b"AVI " + header + chunk(b"LIST", bytes(movi)) + chunk(b"idx1", bytes(index))
    output.write_bytes(chunk(b"RIFF", body))
    print(f"{output}: {FRAMES} pictures, {len(samples)} samples, {output.stat().st_size} bytes")


if __name__ == "__main__":
    main()
