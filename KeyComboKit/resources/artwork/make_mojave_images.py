#!/usr/bin/env python3
# Draws the "kc-mojave" style's images (bezel caps and centres, cancel and
# clear buttons) for its three variants into the kit's bundle. Plain Python
# so it runs anywhere: python3 make_mojave_images.py <bundle>/images
import math
import struct
import sys
import zlib

H = 22        # bezel height
CAP = 6       # width of a bezel cap
RADIUS = 5.5
BUTTON = 14

VARIANTS = {
    # suffix: (fill, pressed fill, disabled fill, border, recording border, border width, glyph, button)
    "aqua": ((255, 255, 255), (222, 222, 222), (246, 246, 246), (190, 190, 190), (10, 120, 245), 1.0,
             (255, 255, 255), (150, 150, 150)),
    "darkaqua": ((62, 62, 64), (90, 90, 92), (50, 50, 52), (95, 95, 98), (40, 140, 255), 1.0,
                 (40, 40, 42), (170, 170, 172)),
    "aqua-acc": ((255, 255, 255), (210, 210, 210), (240, 240, 240), (0, 0, 0), (0, 60, 200), 2.0,
                 (255, 255, 255), (0, 0, 0)),
}


def png(path, w, h, pixel):
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(w)) for y in range(h))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def coverage(d):
    return max(0.0, min(1.0, 0.5 - d))


def bezel_pixel(part, fill, border, width):
    # Signed distance to a rounded rectangle spanning left cap, centre, right cap.
    def pixel(x, y):
        px = x + 0.5 + (0 if part == "left" else (CAP if part == "center" else CAP + 1))
        total = 2 * CAP + 1
        py = y + 0.5
        cx = min(max(px, RADIUS), total - RADIUS)
        cy = min(max(py, RADIUS), H - RADIUS)
        d = math.hypot(px - cx, py - cy) - RADIUS
        outer = coverage(d)
        inner = coverage(d + width)
        r, g, b = [round(fill[i] * inner + border[i] * (1 - inner)) for i in range(3)]
        return (r, g, b, round(255 * outer))
    return pixel


def button_pixel(colour, glyph, cross, pressed):
    c = BUTTON / 2
    def pixel(x, y):
        px, py = x + 0.5 - c, y + 0.5 - c
        a = coverage(math.hypot(px, py) - c + 0.5)
        if cross:
            on = min(abs(px - py), abs(px + py)) / math.sqrt(2) < 0.8 and max(abs(px), abs(py)) < 3.5
        else:
            on = abs(py) < 0.9 and abs(px) < 3.5
        base = tuple(max(0, v - 40) for v in colour) if pressed else colour
        rgb = glyph if on else base
        return (*rgb, round(255 * a))
    return pixel


def main(folder):
    for suffix, (fill, pressed, disabled, border, recording, width, glyph, button) in VARIANTS.items():
        prefix = f"{folder}/kc-mojave-{suffix}-"
        looks = {"normal": (fill, border), "pressed": (pressed, border), "recording": (fill, recording),
                 "disabled": (disabled, border)}
        for look, (f, b) in looks.items():
            for part, w in (("left", CAP), ("center", 1), ("right", CAP)):
                png(f"{prefix}bezel-{look}-{part}.png", w, H, bezel_pixel(part, f, b, width))
        for name, cross in (("cancel", True), ("clear", False)):
            for state in ("normal", "pressed"):
                png(f"{prefix}button-{name}-{state}.png", BUTTON, BUTTON,
                    button_pixel(button, glyph, cross, state == "pressed"))


if __name__ == "__main__":
    main(sys.argv[1])
