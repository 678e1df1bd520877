#!/usr/bin/env python3
"""Draws the pictures and writes the sounds of the action-only example game (examples/bounce):
simple coloured blocks as PNG files and two short tones as WAV files.

Run it again after changing a shape: python3 examples/make_bounce_assets.py
Only the standard library is used (PNGs are written with zlib, WAVs with the wave module).
"""
import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
GAME = os.path.join(HERE, "bounce")


def write_png(path, width, height, pixel):
    """pixel(x, y) gives (r, g, b, a); the file is 8-bit RGBA."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def write_tone(path, seconds, notes):
    """A mono 16-bit 22050 Hz WAV of the notes (frequencies) one after the other."""
    rate = 22050
    frames = bytearray()
    per_note = int(rate * seconds / len(notes))
    for freq in notes:
        for i in range(per_note):
            fade = min(1.0, (per_note - i) / 400.0)
            frames += struct.pack("<h", int(6000 * fade * math.sin(2 * math.pi * freq * i / rate)))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


def block(colour, edge):
    def pixel(x, y, w, h):
        return edge if x in (0, w - 1) or y in (0, h - 1) else colour
    return pixel


def sprite(name, w, h, pixel):
    write_png(os.path.join(GAME, "sprites", name, "0.png"), w, h, lambda x, y: pixel(x, y, w, h))


sprite("spr_paddle", 48, 8, block((60, 110, 230, 255), (20, 40, 120, 255)))
sprite("spr_ball", 8, 8, lambda x, y, w, h: (255, 255, 255, 255) if (x + 0.5 - 4) ** 2 + (y + 0.5 - 4) ** 2 <= 16 else (0, 0, 0, 0))
sprite("spr_wall", 16, 16, block((130, 130, 140, 255), (70, 70, 80, 255)))
sprite("spr_floor", 16, 16, block((90, 60, 50, 255), (50, 30, 25, 255)))
sprite("spr_brick", 32, 12, block((230, 150, 40, 255), (150, 80, 10, 255)))
sprite("spr_heart", 8, 8, block((230, 40, 60, 255), (140, 10, 30, 255)))
write_tone(os.path.join(GAME, "sounds", "snd_bounce.wav"), 0.08, [880])
write_tone(os.path.join(GAME, "sounds", "snd_music.wav"), 1.6, [262, 330, 392, 523])
