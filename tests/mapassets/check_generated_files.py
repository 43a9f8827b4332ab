"""Checks the map files that tools/setup.sh made in the run folder."""

import os
import unittest

from PIL import Image

import tooldir  # noqa: F401  (puts the tools on the path)
import landwater

RUN_DIR = os.environ.get("ORVEX_RUN_DIR", "")


def run_file(name):
    path = os.path.join(RUN_DIR, name)
    if not os.path.isfile(path):
        raise AssertionError(f"{path} is missing: tools/setup.sh makes it")
    return path


def mean_colour(picture, lat, lon, radius=2):
    """The mean colour of the (2 radius + 1)^2 pixels around a place of an
    equirectangular 1000 x 500 picture."""
    x = min(999, int((lon + 180.0) / 360.0 * 1000))
    y = min(499, int((90.0 - lat) / 180.0 * 500))
    pixels = [picture.getpixel((min(999, max(0, x + dx)), min(499, max(0, y + dy))))
              for dx in range(-radius, radius + 1) for dy in range(-radius, radius + 1)]
    return tuple(sum(p[i] for p in pixels) / len(pixels) for i in range(3))


def near(colour, expected, tolerance=12):
    return all(abs(c - e) <= tolerance for c, e in zip(colour, expected))


SAHARA = (23.0, 10.0)
MID_PACIFIC = (0.0, -160.0)
MID_ATLANTIC = (-30.0, -20.0)
SIBERIA = (62.0, 100.0)
CASPIAN_SEA = (42.0, 50.5)
NEAR_SOUTH_POLE = (-89.5, 0.0)
BENELUX = (51.0, 4.5)


class PicturesTest(unittest.TestCase):
    def open(self, name):
        picture = Image.open(run_file(name))
        self.addCleanup(picture.close)
        return picture.convert("RGB")

    def test_every_picture_is_1000_by_500_rgb_jpeg(self):
        for name in ("weltkarte1.jpg", "weltkarte2.jpg", "weltkarte3.jpg"):
            with self.subTest(name=name), Image.open(run_file(name)) as picture:
                self.assertEqual(picture.format, "JPEG")
                self.assertEqual(picture.size, (1000, 500))
                self.assertEqual(picture.mode, "RGB")

    def test_land_water_picture_has_land_and_sea_where_they_are(self):
        picture = self.open("weltkarte3.jpg")
        for place in (SAHARA, SIBERIA, NEAR_SOUTH_POLE, (-80.0, 120.0), (75.0, -40.0)):
            with self.subTest(land=place):
                self.assertTrue(near(mean_colour(picture, *place), landwater.LAND_COLOUR))
        for place in (MID_PACIFIC, MID_ATLANTIC, CASPIAN_SEA, (35.0, 18.0), (85.0, 0.0)):
            with self.subTest(sea=place):
                self.assertTrue(near(mean_colour(picture, *place), landwater.SEA_COLOUR))

    def test_land_water_picture_has_both_colours_in_fair_shares(self):
        picture = self.open("weltkarte3.jpg").resize((360, 180), Image.NEAREST)
        land = sum(1 for p in picture.getdata() if near(p, landwater.LAND_COLOUR, 20))
        sea = sum(1 for p in picture.getdata() if near(p, landwater.SEA_COLOUR, 20))
        # An equirectangular picture of the earth is about a third land (the
        # polar land is stretched); nearly every pixel is one of the two.
        self.assertGreater(land / (360 * 180), 0.25)
        self.assertLess(land / (360 * 180), 0.45)
        self.assertGreater((land + sea) / (360 * 180), 0.97)

    def test_satellite_picture_is_the_right_way_round(self):
        picture = self.open("weltkarte1.jpg")
        red, green, blue = mean_colour(picture, *MID_PACIFIC)
        self.assertGreater(blue, red + 20)
        red, green, blue = mean_colour(picture, *SAHARA)
        self.assertGreater(red, blue + 40)
        self.assertGreater(min(mean_colour(picture, *NEAR_SOUTH_POLE)), 200)

    def test_night_picture_shows_city_lights_on_a_dark_sea(self):
        picture = self.open("weltkarte2.jpg")
        self.assertLess(max(mean_colour(picture, *MID_PACIFIC)), 20)
        self.assertGreater(sum(mean_colour(picture, *BENELUX, radius=4)), 60)


class WorldmapFileTest(unittest.TestCase):
    def test_points_pen_ups_and_no_line_across_the_map(self):
        with open(run_file("worldmap.txt"), encoding="ascii") as file:
            lines = file.read().split("\n")
        self.assertEqual(lines[-1], "", "the file ends with a line break")
        lines = lines[:-1]
        points = pen_ups = 0
        previous = None
        longest = 0.0
        for number, line in enumerate(lines, 1):
            if line == "2 0":
                self.assertIsNotNone(previous, f"line {number}: no line before this pen-up")
                pen_ups += 1
                previous = None
                continue
            fields = line.split(" ")
            self.assertEqual(len(fields), 2, f"line {number}: {line!r}")
            x, y = float(fields[0]), float(fields[1])
            self.assertTrue(0.0 <= x <= 1.0 and 0.0 <= y <= 0.5, f"line {number}: {line!r}")
            if previous is not None:
                self.assertNotEqual((x, y), previous, f"line {number} repeats its point")
                longest = max(longest, abs(x - previous[0]))
                on_edge = (x, previous[0]) in ((0.0, 0.0), (1.0, 1.0)) or y == previous[1] == 0.0
                self.assertFalse(on_edge, f"line {number}: a line along the map's edge")
            points += 1
            previous = (x, y)
        self.assertIsNotNone(previous, "the file ends with a pen-up")
        # The 1:50 million outlines: some 60 000 points in about 1 400 lines.
        self.assertGreater(points, 50000)
        self.assertGreater(pen_ups, 1000)
        self.assertLess(longest, 0.05, "a line runs across the map")


if __name__ == "__main__":
    unittest.main()
