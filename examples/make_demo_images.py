#!/usr/bin/env python3
"""Draws the pictures of the demo game (examples/demo) as PNG files: simple coloured shapes.

Run it again after changing a shape: python3 examples/make_demo_images.py
Only the standard library is used (PNGs are written with zlib).
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO = os.path.join(HERE, "demo")


def write_png(path, width, height, pixel):
    """pixel(x, y) gives (r, g, b, a); the file is 8-bit RGBA."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
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


CLEAR = (0, 0, 0, 0)


def inside_circle(x, y, cx, cy, r):
    return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r


def player(x, y):
    # A blue block with a darker edge and two eyes looking right.
    if x in (0, 15) or y in (0, 15):
        return (20, 40, 120, 255)
    if (x, y) in ((9, 5), (12, 5), (9, 6), (12, 6)):
        return (255, 255, 255, 255)
    return (60, 110, 230, 255)


def enemy(frame):
    def pixel(x, y):
        if not inside_circle(x, y, 8, 8, 7.5):
            return CLEAR
        if (x, y) in ((5, 6), (10, 6)):
            return (30, 0, 0, 255)
        mouth_row = 11 if frame == 0 else 10
        if y == mouth_row and 5 <= x <= 10:
            return (30, 0, 0, 255)
        return (220, 50, 40, 255)
    return pixel


def coin(x, y):
    if not inside_circle(x, y, 4, 4, 3.6):
        return CLEAR
    if (x, y) in ((3, 2), (2, 3)):
        return (255, 255, 220, 255)
    return (240, 200, 40, 255)


def door(x, y):
    if x in (0, 15) or y == 0:
        return (70, 40, 10, 255)
    if (x, y) in ((12, 13), (12, 14)):
        return (250, 220, 80, 255)
    return (140, 85, 35, 255) if x % 5 else (110, 65, 25, 255)


def tiles(x, y):
    tile, tx, ty = x // 16, x % 16, y % 16
    if tile == 0:  # stone path
        edge = tx in (0, 15) or ty in (0, 15) or (tx == 7 and ty < 8) or (ty == 8)
        return (110, 110, 120, 255) if edge else (160, 160, 170, 255)
    if tile == 1:  # flowers on grass
        if (tx, ty) in ((3, 4), (11, 9), (6, 12)):
            return (250, 240, 90, 255)
        if (tx, ty) in ((2, 4), (4, 4), (3, 3), (3, 5), (10, 9), (12, 9), (11, 8), (11, 10)):
            return (240, 120, 200, 255)
        return (70, 150, 60, 255)
    # water
    wave = (ty + int(2 * math.sin(tx / 2.5))) % 6 == 0
    return (150, 200, 250, 255) if wave else (40, 90, 200, 255)


def title(x, y):
    # The loading picture: a dusk gradient with a row of blocks.
    r, g, b = 30 + y // 3, 40 + y // 4, 90 + y // 2
    if 50 <= y < 70 and (x // 20) % 2 == 0 and 40 <= x < 280:
        return (240, 200, 40, 255)
    return (min(r, 255), min(g, 255), min(b, 255), 255)


def main():
    write_png(os.path.join(DEMO, "sprites/spr_player/0.png"), 16, 16, player)
    for frame in (0, 1):
        write_png(os.path.join(DEMO, f"sprites/spr_enemy/{frame}.png"), 16, 16, enemy(frame))
    write_png(os.path.join(DEMO, "sprites/spr_coin/0.png"), 8, 8, coin)
    write_png(os.path.join(DEMO, "sprites/spr_door/0.png"), 16, 24, door)
    write_png(os.path.join(DEMO, "backgrounds/bg_tiles.png"), 48, 16, tiles)
    write_png(os.path.join(DEMO, "settings/loading_picture.png"), 320, 120, title)


if __name__ == "__main__":
    main()
