#!/usr/bin/python3
"""Independent decoders as referees for the program's animated GIFs.

Usage: animation_referees.py FOLDER...

Each folder holds manifest.txt (one name a line) and, for each name,
NAME.gif written by the program and NAME.expect: a line
"ORVEX-ANIMATION width height frames loop", the 256-entry colour table as
red, green, blue bytes, then for every frame its delay in 1/100 s (16 bits,
little-endian) and the palette index of every pixel, top line first, of the
whole picture as it shows after that frame. Pillow and ImageMagick must
decode every frame, put together with the frames before it, to exactly those
colours, and the indices where the table's colours name them; the colour
table, the delays and the loop count must read back. Exit code 0 when all
agree.
"""

import re
import subprocess
import sys

from PIL import Image, ImageSequence

from referee_run import run_referees

CONVERT = "/usr/bin/convert"
IDENTIFY = "/usr/bin/identify"


def read_expectation(path):
    with open(path, "rb") as f:
        data = f.read()
    line, _, rest = data.partition(b"\n")
    tag, width, height, count, loop = line.split()
    if tag != b"ORVEX-ANIMATION":
        raise ValueError(f"{path}: not an animation expectation")
    width, height, count, loop = int(width), int(height), int(count), int(loop)
    table = rest[:768]
    frames = []
    at = 768
    for _ in range(count):
        delay = rest[at] | (rest[at + 1] << 8)
        indices = rest[at + 2:at + 2 + width * height]
        if len(indices) != width * height:
            raise ValueError(f"{path}: short frame")
        frames.append((delay, indices))
        at += 2 + width * height
    return width, height, loop, table, frames


def colours_of(indices, table):
    entries = [table[3 * i:3 * i + 3] for i in range(256)]
    return b"".join(entries[i] for i in indices)


def unique_colours(table):
    seen = {}
    for i in range(256):
        seen.setdefault(table[3 * i:3 * i + 3], []).append(i)
    return {colour: ix[0] for colour, ix in seen.items() if len(ix) == 1}


def compare_frame(who, number, rgb, indices, table, width):
    expected = colours_of(indices, table)
    if rgb != expected:
        for p in range(len(expected) // 3):
            if rgb[3 * p:3 * p + 3] != expected[3 * p:3 * p + 3]:
                return (f"{who}: frame {number}, pixel ({p % width}, {p // width}) is "
                        f"{tuple(rgb[3 * p:3 * p + 3])}, expected {tuple(expected[3 * p:3 * p + 3])}"
                        f" (index {indices[p]})")
        return f"{who}: frame {number} has {len(rgb)} bytes, expected {len(expected)}"
    unique = unique_colours(table)
    for p in range(len(indices)):
        colour = rgb[3 * p:3 * p + 3]
        if colour in unique and unique[colour] != indices[p]:
            return f"{who}: frame {number}, index of pixel ({p % width}, {p // width}) differs"
    return None


def check_pillow(gif, width, height, loop, table, frames):
    with Image.open(gif) as image:
        if image.size != (width, height):
            return f"Pillow: size {image.size}"
        if getattr(image, "n_frames", 1) != len(frames):
            return f"Pillow: {image.n_frames} frames, expected {len(frames)}"
        palette = bytes(image.getpalette()[:768])
        if palette != table:
            return "Pillow: colour table differs"
        if image.info.get("loop") != loop:
            return f"Pillow: loop {image.info.get('loop')}, expected {loop}"
        for number, frame in enumerate(ImageSequence.Iterator(image)):
            delay, indices = frames[number]
            if frame.info.get("duration") != delay * 10:
                return f"Pillow: frame {number} lasts {frame.info.get('duration')} ms, expected {delay * 10}"
            problem = compare_frame("Pillow", number, frame.convert("RGB").tobytes(), indices,
                                    table, width)
            if problem:
                return problem
    return None


def check_imagemagick(gif, width, height, loop, table, frames):
    delays = subprocess.run([IDENTIFY, "-format", "%T %W %H\n", gif], capture_output=True,
                            check=True, text=True).stdout.split("\n")
    delays = [line.split() for line in delays if line.strip()]
    if [int(d[0]) for d in delays] != [delay for delay, _ in frames]:
        return f"ImageMagick: delays {[d[0] for d in delays]}"
    if any((int(d[1]), int(d[2])) != (width, height) for d in delays):
        return "ImageMagick: canvas size differs"
    verbose = subprocess.run([CONVERT, gif + "[0]", "-verbose", "info:"], capture_output=True,
                             check=True).stdout.decode("latin-1")
    # The file counts repeats after the first showing, ImageMagick counts
    # showings; 0 is "for ever" in both.
    plays = loop + 1 if loop else 0
    iterations = re.search(r"Iterations:\s*(\d+)", verbose)
    if iterations is None or int(iterations.group(1)) != plays:
        return f"ImageMagick: iterations {iterations and iterations.group(1)}, expected {plays}"
    rgb = subprocess.run([CONVERT, gif, "-coalesce", "-depth", "8", "rgb:-"],
                         capture_output=True, check=True).stdout
    size = width * height * 3
    if len(rgb) != size * len(frames):
        return f"ImageMagick: {len(rgb) // size} frames put together, expected {len(frames)}"
    for number, (_, indices) in enumerate(frames):
        problem = compare_frame("ImageMagick", number, rgb[number * size:(number + 1) * size],
                                indices, table, width)
        if problem:
            return problem
    return None


def check(gif, expect):
    expectation = read_expectation(expect)
    problems = [p for p in (check_pillow(gif, *expectation), check_imagemagick(gif, *expectation)) if p]
    return problems, f"{expectation[0]} x {expectation[1]}, {len(expectation[4])} frames"


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(run_referees(sys.argv[1:], check, "animations"))
