"""The whole tool on a hand-made topology and small stand-in pictures."""

import json
import os
import tempfile
import unittest

from PIL import Image

import tooldir  # noqa: F401  (puts the tools on the path)
import landwater
import make_map_assets

# Quantised to whole degrees (scale 1, translate -180 -90), delta-encoded.
#   arc 0: a square island 0..20 E, 10..30 N
#   arc 1: an island across the date line, 170 E .. 170 W, 60..70 N, stored
#          the short way round, as the merged outlines have it
TOPOLOGY = {
    "type": "Topology",
    "transform": {"scale": [1, 1], "translate": [-180, -90]},
    "arcs": [
        [[180, 100], [20, 0], [0, 20], [-20, 0], [0, -20]],
        [[350, 150], [-340, 0], [0, 10], [340, 0], [0, -10]],
    ],
    "objects": {"land": {"type": "MultiPolygon", "arcs": [[[0]], [[1]]]}},
}

EXPECTED_WORLDMAP = "\n".join([
    # the square island, closed
    "0.5 0.277778", "0.555556 0.277778", "0.555556 0.333333", "0.5 0.333333", "0.5 0.277778",
    "2 0",
    # the date-line island: its western part, from the left edge of the map ...
    "0 0.416667", "0.027778 0.416667", "0.027778 0.444444", "0 0.444444",
    "2 0",
    # ... and its eastern part, up to the right edge
    "1 0.444444", "0.972222 0.444444", "0.972222 0.416667", "1 0.416667",
]) + "\n"


def halves_picture(path, size):
    """A stand-in for an equirectangular picture: north half red, south half
    blue, with a white western quarter."""
    width, height = size
    picture = Image.new("RGB", size, (200, 0, 0))
    picture.paste((0, 0, 200), (0, height // 2, width, height))
    picture.paste((255, 255, 255), (0, 0, width // 4, height))
    picture.save(path)


class MakeMapAssetsTest(unittest.TestCase):
    def setUp(self):
        temporary = tempfile.TemporaryDirectory()
        self.addCleanup(temporary.cleanup)
        self.folder = temporary.name
        self.land = os.path.join(self.folder, "land.json")
        with open(self.land, "w", encoding="utf-8") as file:
            json.dump(TOPOLOGY, file)
        self.images = os.path.join(self.folder, "images")
        os.mkdir(self.images)
        halves_picture(os.path.join(self.images, "earth.jpg"), (2048, 1024))
        halves_picture(os.path.join(self.images, "night.jpg"), (2048, 1024))
        self.out = os.path.join(self.folder, "run")

    def make(self):
        self.assertEqual(0, make_map_assets.main(
            ["--land", self.land, "--images", self.images, "--out", self.out]))

    def test_writes_the_four_files_from_the_outlines_and_pictures(self):
        self.make()
        with open(os.path.join(self.out, "worldmap.txt"), encoding="ascii") as file:
            self.assertEqual(EXPECTED_WORLDMAP, file.read())

        for name in ("weltkarte1.jpg", "weltkarte2.jpg"):
            with self.subTest(name=name), Image.open(os.path.join(self.out, name)) as picture:
                self.assertEqual((1000, 500), picture.size)
                self.assertEqual("JPEG", picture.format)
                north, south, west = (picture.getpixel(p) for p in ((600, 100), (600, 400), (100, 250)))
                self.assertGreater(north[0], 180)
                self.assertGreater(south[2], 180)
                self.assertGreater(min(west), 240)

        with Image.open(os.path.join(self.out, "weltkarte3.jpg")) as picture:
            self.assertEqual((1000, 500), picture.size)

            def close_to(place, colour):
                return all(abs(a - b) <= 8 for a, b in zip(picture.getpixel(place), colour))

            # Pixel (x, y) of the 1000 x 500 picture lies at 180 W + 0.36 x, 90 N - 0.36 y.
            for place in ((528, 194), (5, 69), (995, 69)):   # 10 E 20 N; 178 W and 178 E, 65 N
                self.assertTrue(close_to(place, landwater.LAND_COLOUR), place)
            for place in ((450, 194), (500, 250), (500, 69)):
                self.assertTrue(close_to(place, landwater.SEA_COLOUR), place)

    def test_running_again_replaces_the_files(self):
        self.make()
        with open(os.path.join(self.out, "worldmap.txt"), "w", encoding="ascii") as file:
            file.write("stale\n")
        self.make()
        with open(os.path.join(self.out, "worldmap.txt"), encoding="ascii") as file:
            self.assertEqual(EXPECTED_WORLDMAP, file.read())
        self.assertEqual(sorted(os.listdir(self.out)),
                         ["weltkarte1.jpg", "weltkarte2.jpg", "weltkarte3.jpg", "worldmap.txt"])

    def test_missing_picture_fails_and_leaves_no_half_file(self):
        os.remove(os.path.join(self.images, "night.jpg"))
        with self.assertRaises(FileNotFoundError):
            self.make()
        self.assertNotIn("weltkarte2.jpg", os.listdir(self.out))
        self.assertFalse(any(name.endswith(".part") for name in os.listdir(self.out)))


if __name__ == "__main__":
    unittest.main()
