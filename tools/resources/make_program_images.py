#!/usr/bin/python3
"""Draws the program's own pictures and writes them as Windows resource files:

  check_off.bmp, check_on.bmp   15 x 15, 4 bits per pixel: the menu check
                                images (an empty box and a ticked box)
  orvex.ico                     the program icon, a small globe with the
                                continents of Europe and Africa, in 16, 24,
                                32 and 48 pixels (32-bit colour with alpha)

Usage: make_program_images.py OUTPUT_FOLDER
Only the standard library is used, so the output is the same on every machine.
"""
import math
import struct
import sys

# --- check images -------------------------------------------------------------

MENU = (240, 240, 240)  # the menu background of the default colour scheme
PALETTE16 = [MENU, (255, 255, 255), (128, 128, 128), (64, 64, 64), (0, 0, 0), (0, 96, 160)] + \
    [(0, 0, 0)] * 10


def bmp4(pixels):
    """A bottom-up 4-bit BMP of the rows of palette indices."""
    height, width = len(pixels), len(pixels[0])
    row_bytes = ((width * 4 + 31) // 32) * 4
    image = bytearray()
    for row in reversed(pixels):
        packed = bytearray(row_bytes)
        for x, index in enumerate(row):
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
        image += packed
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE16)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(image), 2835, 2835, 16, 0)
    offset = 14 + len(header) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset) + header + palette + image


def check_box(ticked):
    size = 15
    pixels = [[0] * size for _ in range(size)]
    for y in range(2, 13):
        for x in range(2, 13):
            border = x in (2, 12) or y in (2, 12)
            pixels[y][x] = 2 if border else 1
    if ticked:
        # A two-pixel-wide tick from (4, 7) down to (6, 9) and up to (10, 4).
        tick = [(4, 7), (5, 8), (6, 9), (7, 8), (8, 7), (9, 6), (10, 5)]
        for x, y in tick:
            pixels[y][x] = 5
            pixels[y - 1][x] = 5
    return pixels


# --- the globe icon -------------------------------------------------------------

CENTRE_LON, CENTRE_LAT = math.radians(15.0), math.radians(25.0)

# The continents as ellipses in degrees: centre longitude, centre latitude,
# half width, half height, tilt (degrees). Coarse, but recognisable at 48 px.
LAND = [
    (20, 5, 17, 20, 0),      # Africa, the wide middle
    (5, 15, 22, 9, 0),       # the Sahara's western bulge
    (28, -20, 9, 14, 10),    # southern Africa
    (45, 8, 5, 6, 0),        # the Horn of Africa
    (15, 50, 18, 6, 15),     # central Europe
    (0, 42, 6, 4, 0),        # Iberia
    (15, 63, 6, 8, -30),     # Scandinavia
    (-3, 54, 2.5, 4, 0),     # Britain
    (47, 24, 8, 7, -20),     # Arabia
    (75, 50, 35, 15, 0),     # central Asia
    (78, 20, 7, 10, 0),      # India
    (-45, -12, 12, 18, -15), # eastern South America
    (-40, 72, 12, 8, 0),     # Greenland
]


def on_land(lon, lat):
    for clon, clat, a, b, tilt in LAND:
        dx = (lon - clon + 540) % 360 - 180
        dy = lat - clat
        t = math.radians(tilt)
        u = dx * math.cos(t) + dy * math.sin(t)
        v = -dx * math.sin(t) + dy * math.cos(t)
        if (u / a) ** 2 + (v / b) ** 2 <= 1.0:
            return True
    return False


def globe_sample(x, y):
    """Colour and coverage (0 or 1) of the unit disc at (x, y), y upwards."""
    r2 = x * x + y * y
    if r2 > 1.0:
        return None
    z = math.sqrt(1.0 - r2)
    # Inverse orthographic projection.
    lat = math.asin(z * math.sin(CENTRE_LAT) + y * math.cos(CENTRE_LAT))
    lon = CENTRE_LON + math.atan2(x, z * math.cos(CENTRE_LAT) - y * math.sin(CENTRE_LAT))
    lon_d, lat_d = math.degrees(lon), math.degrees(lat)
    if on_land(lon_d, lat_d):
        base = (70, 150, 60) if abs(lat_d) < 60 else (235, 240, 245)
        if -5 < lon_d < 40 and 12 < lat_d < 32:
            base = (215, 185, 110)  # the Sahara
    else:
        base = (30, 100, 200)
    # Light from the upper left, a little ambient light.
    light = max(0.0, -0.45 * x + 0.55 * y + 0.7 * z)
    shade = 0.35 + 0.75 * light
    colour = [min(255.0, c * shade) for c in base]
    # Graticule every 30 degrees, faint.
    for value in (lon_d, lat_d):
        if abs(((value + 15) % 30) - 15) < 1.2:
            colour = [c * 0.8 + 255 * 0.2 for c in colour]
    # A dark rim.
    if r2 > 0.93:
        colour = [c * 0.6 for c in colour]
    return colour


def globe(size, samples=4):
    """Rows of (r, g, b, a) for a globe filling a size x size square."""
    radius = size / 2.0 - 0.5
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples - size / 2.0) / radius
                    y = (size / 2.0 - (py + (sy + 0.5) / samples)) / radius
                    colour = globe_sample(x, y)
                    if colour is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += colour[i]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / hits)) for i in range(3)) +
                           (int(round(255.0 * hits / (samples * samples))),))
        rows.append(row)
    return rows


def icon_image(rows):
    """One ICO entry: a 32-bit BMP without file header, double height, plus AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour += struct.pack("<BBBB", b, g, r, a)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def ico(sizes):
    entries = [(size, icon_image(globe(size))) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in entries)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    with open(folder + "/check_off.bmp", "wb") as f:
        f.write(bmp4(check_box(False)))
    with open(folder + "/check_on.bmp", "wb") as f:
        f.write(bmp4(check_box(True)))
    with open(folder + "/orvex.ico", "wb") as f:
        f.write(ico([16, 24, 32, 48]))


if __name__ == "__main__":
    main()
