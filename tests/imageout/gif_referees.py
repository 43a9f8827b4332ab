#!/usr/bin/python3
"""Independent decoders as referees for the program's GIF writer.

Usage: gif_referees.py FOLDER...

Each folder holds manifest.txt (one name a line) and, for each name,
NAME.gif written by the program and NAME.expect: a line
"ORVEX-EXPECT width height colours", the palette as red, green, blue bytes,
then one palette index per pixel, top line first. Every GIF must decode with
Pillow and with ImageMagick to exactly that size, colour table, indices and
colours. Exit code 0 when all agree.
"""

import re
import subprocess
import sys

from PIL import Image

from referee_run import run_referees

CONVERT = "/usr/bin/convert"


def read_expectation(path):
    with open(path, "rb") as f:
        data = f.read()
    line, _, rest = data.partition(b"\n")
    tag, width, height, colours = line.split()
    if tag != b"ORVEX-EXPECT":
        raise ValueError(f"{path}: not an expectation file")
    width, height, colours = int(width), int(height), int(colours)
    palette = rest[: 3 * colours]
    indices = rest[3 * colours :]
    if len(indices) != width * height:
        raise ValueError(f"{path}: {len(indices)} indices for {width} x {height}")
    return width, height, palette, indices


def colours_of(indices, palette):
    table = [palette[3 * i : 3 * i + 3] for i in range(len(palette) // 3)]
    return b"".join(table[i] for i in indices)


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


def check_pillow(gif, width, height, palette, indices):
    with Image.open(gif) as image:
        image.load()
        if image.size != (width, height):
            return f"Pillow: size {image.size}, expected {(width, height)}"
        if image.mode not in ("P", "L"):
            return f"Pillow: mode {image.mode}, expected a palette image"
        decoded = image.tobytes()
        table = image.getpalette() if image.mode == "P" else None
    if table is None:
        # Pillow reports a grey ramp palette as a grey image: value = index.
        table = [v for i in range(256) for v in (i, i, i)]
    table = bytes(table[: len(palette)])
    if table != palette:
        i = first_difference(table, palette) // 3
        return f"Pillow: colour table differs from entry {i} on"
    if decoded != indices:
        i = first_difference(decoded, indices)
        return f"Pillow: index of pixel ({i % width}, {i // width}) is {decoded[i]}, expected {indices[i]}"
    return None


def check_imagemagick(gif, width, height, palette, indices):
    size = subprocess.run([CONVERT, gif, "-format", "%w %h", "info:"],
                          capture_output=True, check=True).stdout.split()
    if [int(v) for v in size] != [width, height]:
        return f"ImageMagick: size {size}, expected {width} x {height}"
    rgb = subprocess.run([CONVERT, gif, "-depth", "8", "rgb:-"],
                         capture_output=True, check=True).stdout
    expected = colours_of(indices, palette)
    if rgb != expected:
        i = first_difference(rgb, expected) // 3
        return f"ImageMagick: colour of pixel ({i % width}, {i // width}) differs"
    verbose = subprocess.run([CONVERT, gif, "-verbose", "info:"],
                             capture_output=True, check=True).stdout.decode("latin-1")
    entries = re.findall(r"^\s+(\d+):\s+\(\s*(\d+),\s*(\d+),\s*(\d+)(?:,\s*[\d.]+)?\)",
                         verbose.split("Colormap:", 1)[-1], re.M)
    table = bytearray(len(palette))
    seen = 0
    for number, red, green, blue in entries:
        n = int(number)
        if 3 * n + 3 <= len(table):
            table[3 * n : 3 * n + 3] = bytes((int(red), int(green), int(blue)))
            seen += 1
    if seen != len(palette) // 3 or bytes(table) != palette:
        return "ImageMagick: colour table differs"
    # Where the colour table is free of repeats the colours name the indices.
    first = {}
    for i in range(len(palette) // 3):
        first.setdefault(palette[3 * i : 3 * i + 3], []).append(i)
    unique = {colour: ix[0] for colour, ix in first.items() if len(ix) == 1}
    for p in range(width * height):
        colour = rgb[3 * p : 3 * p + 3]
        if colour in unique and unique[colour] != indices[p]:
            return f"ImageMagick: index of pixel ({p % width}, {p // width}) differs"
    return None


def check(gif, expect):
    width, height, palette, indices = read_expectation(expect)
    problems = [p for p in (check_pillow(gif, width, height, palette, indices),
                            check_imagemagick(gif, width, height, palette, indices)) if p]
    return problems, f"{width} x {height}, {len(palette) // 3} colours"


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(run_referees(sys.argv[1:], check, "GIF files"))
