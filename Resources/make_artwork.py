#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Tarn's built-in images with nothing but the standard library.

Run from this folder: python3 make_artwork.py
Writes img/App.ico, img/Settings.png, img/Settings-96.rgba, img/Web.png,
img/Lost.png and qss/arrowdown.png, and the installed application icon:
icons/<id>.svg and icons/<size>/<id>.png for the hicolor theme. Shapes are signed-distance
functions sampled 4x4 per pixel.

For high-DPI screens Web and Lost have img/<name>@2x.png beside them, which
Qt's icons use from a scale of 1.5 up; App.ico holds the icon from 256 down
to 16 pixels, the largest first (what a plain QPixmap of it reads).
Settings.png and arrowdown.png are drawn large enough for any scale; the
settings button draws from img/Settings-96.rgba (24 pixels up to a scale of
4), bare premultiplied RGBA that the window shows without decoding before its
first frame, and from Settings.png only beyond.
"""
import math
import os
import struct
import zlib

APP_ID = "org.tarn.Tarn"  # as TARN_APP_ID in CMakeLists.txt
THEME_SIZES = (16, 24, 32, 48, 64, 128, 256)

SS = 4  # samples per pixel edge


def render(size, layers):
    """layers: list of (inside(x, y) -> bool in unit square, (r, g, b, a))."""
    pixels = bytearray(size * size * 4)
    step = 1.0 / (size * SS)
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                y = (py * SS + sy + 0.5) * step
                for sx in range(SS):
                    x = (px * SS + sx + 0.5) * step
                    col = None
                    for inside, c in layers:
                        if inside(x, y):
                            col = c
                    if col:
                        a = col[3] / 255.0
                        acc[0] += col[0] * a
                        acc[1] += col[1] * a
                        acc[2] += col[2] * a
                        acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            i = (py * size + px) * 4
            if alpha > 0:
                pixels[i] = round(acc[0] / acc[3])
                pixels[i + 1] = round(acc[1] / acc[3])
                pixels[i + 2] = round(acc[2] / acc[3])
                pixels[i + 3] = round(alpha * 255)
    return pixels


def png(size, rgba):
    raw = b"".join(b"\0" + bytes(rgba[y * size * 4:(y + 1) * size * 4]) for y in range(size))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def premultiplied(rgba):
    """Bare RGBA with the colours premultiplied by alpha, row by row."""
    out = bytearray(rgba)
    for i in range(0, len(out), 4):
        a = out[i + 3]
        for c in range(3):
            out[i + c] = (out[i + c] * a + 127) // 255
    return bytes(out)


def dib(size, rgba):
    """A 32-bit BGRA DIB, the classic entry layout every ICO reader knows."""
    rows = []
    for y in range(size - 1, -1, -1):  # DIB rows run bottom-up
        row = bytearray()
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"\0" * (mask_stride * size)


def ico(sizes, layers):
    """One entry per size, in the order given; the large ones as PNG, which Windows reads too."""
    images = []
    for size in sizes:
        rgba = render(size, layers)
        images.append((size, png(size, rgba) if size >= 128 else dib(size, rgba)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        qx = max(x0 + r - x, 0, x - (x1 - r))
        qy = max(y0 + r - y, 0, y - (y1 - r))
        return x0 <= x <= x1 and y0 <= y <= y1 and qx * qx + qy * qy <= r * r
    return inside


def segment(ax, ay, bx, by, w):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= w * w
    return inside


def gear(cx, cy, r_body, r_tooth, r_hole, teeth):
    def inside(x, y):
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        if d < r_hole:
            return False
        if d <= r_body:
            return True
        if d > r_tooth:
            return False
        phase = (math.atan2(dy, dx) / (2 * math.pi) * teeth) % 1.0
        return 0.25 <= phase <= 0.75
    return inside


BLUE = (0x48, 0xA0, 0xDC, 255)
DEEP = (0x2B, 0x6C, 0xB0, 255)
GREY = (0x6A, 0x6A, 0x6A, 255)
WHITE = (255, 255, 255, 255)
RED = (0xD9, 0x53, 0x4F, 255)


def app_icon():
    # A tarn: a small mountain lake, drawn as a blue disc with a wave.
    return [
        (circle(0.5, 0.5, 0.47), BLUE),
        (lambda x, y: y > 0.55 and (x - 0.5) ** 2 + (y - 0.5) ** 2 <= 0.47 ** 2, DEEP),
        (lambda x, y: abs(y - (0.55 + 0.05 * math.sin(x * 18))) < 0.035 and (x - 0.5) ** 2 + (y - 0.5) ** 2 <= 0.4 ** 2, WHITE),
        (lambda x, y: y < 0.5 and abs(x - 0.5) < (y - 0.18) * 0.9 and y > 0.18, WHITE),
    ]


def app_svg():
    """The app icon's shapes again, as SVG for the scalable theme folder."""
    n = 256

    def hexcol(c):
        return "#%02x%02x%02x" % c[:3]

    wave = " ".join("%s%.2f,%.2f" % ("M" if i == 0 else "L", i / 64 * n, (0.55 + 0.05 * math.sin(i / 64 * 18)) * n)
                    for i in range(65))
    apex, half = 0.18, (0.5 - 0.18) * 0.9
    mountain = "%.2f,%.2f %.2f,%.2f %.2f,%.2f" % (0.5 * n, apex * n, (0.5 - half) * n, 0.5 * n,
                                                   (0.5 + half) * n, 0.5 * n)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{n}" height="{n}" viewBox="0 0 {n} {n}">
  <defs>
    <clipPath id="disc"><circle cx="{n / 2}" cy="{n / 2}" r="{0.47 * n:.2f}"/></clipPath>
    <clipPath id="lake"><circle cx="{n / 2}" cy="{n / 2}" r="{0.4 * n:.2f}"/></clipPath>
  </defs>
  <circle cx="{n / 2}" cy="{n / 2}" r="{0.47 * n:.2f}" fill="{hexcol(BLUE)}"/>
  <rect x="0" y="{0.55 * n:.2f}" width="{n}" height="{0.45 * n:.2f}" fill="{hexcol(DEEP)}" clip-path="url(#disc)"/>
  <path d="{wave}" fill="none" stroke="#ffffff" stroke-width="{0.07 * n:.2f}" clip-path="url(#lake)"/>
  <polygon points="{mountain}" fill="#ffffff"/>
</svg>
"""


def settings_icon():
    return [(gear(0.5, 0.5, 0.33, 0.45, 0.15, 8), GREY)]


def web_icon():
    return [
        (circle(0.5, 0.5, 0.44), BLUE),
        (ring(0.5, 0.5, 0.40, 0.44), DEEP),
        (lambda x, y: abs(((x - 0.5) / 0.2) ** 2 + ((y - 0.5) / 0.42) ** 2 - 1) < 0.12, WHITE),
        (segment(0.5, 0.1, 0.5, 0.9, 0.025), WHITE),
        (segment(0.08, 0.5, 0.92, 0.5, 0.025), WHITE),
        (lambda x, y: abs(y - 0.3) < 0.022 and (x - 0.5) ** 2 + (y - 0.5) ** 2 <= 0.4 ** 2, WHITE),
        (lambda x, y: abs(y - 0.7) < 0.022 and (x - 0.5) ** 2 + (y - 0.5) ** 2 <= 0.4 ** 2, WHITE),
    ]


def lost_icon():
    return [
        (rounded(0.18, 0.08, 0.82, 0.92, 0.06), (0xBA, 0xBA, 0xBA, 255)),
        (rounded(0.22, 0.12, 0.78, 0.88, 0.04), (0xF4, 0xF4, 0xF4, 255)),
        (segment(0.34, 0.36, 0.66, 0.68, 0.045), RED),
        (segment(0.66, 0.36, 0.34, 0.68, 0.045), RED),
    ]


def arrow_down():
    return [(lambda x, y: 0.3 <= y <= 0.7 and abs(x - 0.5) <= (0.7 - y) * 0.9, (0x8A, 0x8A, 0x8A, 255))]


if __name__ == "__main__":
    with open("img/App.ico", "wb") as f:
        f.write(ico((256, 128, 64, 48, 32, 24, 16), app_icon()))
    with open("img/Settings-96.rgba", "wb") as f:
        f.write(premultiplied(render(96, settings_icon())))
    for name, size, layers in (("img/Settings.png", 587, settings_icon()), ("img/Web.png", 64, web_icon()),
                               ("img/Web@2x.png", 128, web_icon()), ("img/Lost.png", 64, lost_icon()),
                               ("img/Lost@2x.png", 128, lost_icon()), ("qss/arrowdown.png", 200, arrow_down())):
        with open(name, "wb") as f:
            f.write(png(size, render(size, layers)))
    with open(f"icons/{APP_ID}.svg", "w") as f:
        f.write(app_svg())
    for size in THEME_SIZES:
        os.makedirs(f"icons/{size}", exist_ok=True)
        with open(f"icons/{size}/{APP_ID}.png", "wb") as f:
            f.write(png(size, render(size, app_icon())))
