#!/usr/bin/env python3
"""Draws the 64 x 64 advertising logo (an optical disc with a red flame-like V) as PNG.

Run from the repository root: python3 scripts/make-logo.py
Writes app/resources/vextrel-logo.png. Pure standard library (zlib + struct).
"""
import math
import struct
import zlib

SIZE = 64


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    a = (math.atan2(dy, dx) + math.pi) / (2 * math.pi)
    # transparent outside the disc and in its centre hole
    if r > 31 or r < 5:
        return (0, 0, 0, 0)
    if r > 30:
        return (90, 90, 100, 255)  # rim
    if r < 9:
        return (200, 200, 210, 255)  # clamping ring
    # silver surface with a rainbow sheen that turns with the angle
    sheen = 0.5 + 0.5 * math.sin(a * 4 * math.pi + r / 6)
    base = 170 + int(60 * sheen)
    rgb = [base, base, base + 10]
    hue = (a * 3 + r / 40) % 1.0
    tint = [0.5 + 0.5 * math.cos(2 * math.pi * (hue - k / 3)) for k in range(3)]
    rgb = [min(255, int(c * 0.75 + 64 * t)) for c, t in zip(rgb, tint)]
    # a bold red V across the disc
    u = (x - 12) / 40
    v = (y - 14) / 36
    if 0 <= u <= 1 and 0 <= v <= 1:
        centre = 0.5
        half = 0.5 * (1 - v) + 0.06
        width = 0.13
        if abs(abs(u - centre) - half * 0.9) < width:
            return (200, 20, 30, 255)
    return (*rgb, 255)


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
with open("app/resources/vextrel-logo.png", "wb") as f:
    f.write(png(SIZE, SIZE, rows))
