#!/usr/bin/python3
"""The chart's numbers and pictures from orvex_render.exe --chart.

The plotted values (global, both hemispheres, coverage, two positions, the
running mean and the trend slope) against an independent numpy computation
from hadcrut4.dat, as stored and under both reference methods; and whole
pictures of a small synthetic data set (the chart at two sizes, ten years of
stripes) against expected pictures checked by eye once.

Usage: chart_tests.py BUILD_DIR [--write-expected] [unittest arguments]
"""
import os
import shutil
import subprocess
import sys
import unittest
import warnings

import numpy as np
from PIL import Image, ImageChops

from reference_tables import Grid

warnings.simplefilter("ignore", RuntimeWarning)

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXPECTED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "expected")
BUILD_DIR = None
WRITE_EXPECTED = False
# name, latitude/longitude as in positions.txt, and the cell (row, column)
# holding it: rows from 90N southwards, columns from 180W eastwards.
POSITIONS = [("Berlin", "52\t31\t0\t0\t13\t24\t0\t0", (7, 38)),
             ("Sydney", "33\t52\t0\t1\t151\t12\t0\t0", (24, 66)),
             ("Nirgendwo", "95\t0\t0\t0\t0\t0\t0\t0", None)]


def render(folder, *arguments):
    done = subprocess.run(
        ["bash", os.path.join(SOURCE_DIR, "cmake", "wine-run.sh"), "--build-dir", BUILD_DIR,
         os.path.join(BUILD_DIR, "run", "orvex_render.exe"), *arguments],
        capture_output=True, timeout=300, cwd=folder)
    if done.returncode != 0:
        raise AssertionError(done.stderr.decode("utf-8"))


def expected_series(grid, method, first, last):
    """Per month and per year: global, north, south, coverage, positions."""
    data = np.array([grid.month(k) for k in range(1, grid.count + 1)])
    if method == "cell":
        period = data[(first - 1850) * 12:(last - 1849) * 12].reshape(-1, 12, 36, 72)
        have = (~np.isnan(period)).sum(axis=0)
        climate = np.where(2 * have >= last - first + 1, np.nanmean(period, axis=0), np.nan)
        data = data - np.tile(climate, (len(data) // 12 + 1, 1, 1))[:len(data)]
    elif method == "global":
        shift = np.nanmean([grid.global_value(m) for m in data[(first - 1850) * 12:(last - 1849) * 12]])
        data = data - shift
    years = np.array([np.nanmean(data[y * 12:y * 12 + 12], axis=0) for y in range((len(data) + 11) // 12)])

    def columns(fields):
        weights = np.broadcast_to(grid.weights[:, None], (36, 72))
        rows = []
        for field in fields:
            have = ~np.isnan(field)
            means = [(field[h] * weights[h]).sum() / weights[h].sum() if h.any() else -99.9
                     for h in (have, have & (np.arange(36) < 18)[:, None],
                               have & (np.arange(36) >= 18)[:, None])]
            cells = [field[c] if c is not None and not np.isnan(field[c]) else -99.9
                     for _, _, c in POSITIONS]
            rows.append(means + [weights[have].sum() * 100] + cells)
        return np.array(rows)
    return columns(data), columns(years)


def read_table(path):
    with open(path, "rb") as f:
        sections = f.read().decode("cp1252").split("\r\n\r\n")
    rows = [[float(v.replace(",", ".")) for v in line.split(";")[1:]]
            for line in sections[0].split("\r\n")[3:]]
    years = [[float(v.replace(",", ".")) for v in line.split(";")[1:]]
             for line in sections[1].split("\r\n")[1:]]
    running = [float(line.split(";")[1].replace(",", ".")) for line in sections[2].split("\r\n")[1:]]
    slope = float(sections[3].strip().split(";")[1].replace(",", "."))
    return np.array(rows), np.array(years), np.array(running), slope


def synthetic_grid(path):
    """Ten years of a warming world with a seasonal swing, the north warming
    faster; the south has data only from the sixth year on."""
    with open(path, "wb") as f:
        for k in range(120):
            year, month = 1850 + k // 12, k % 12 + 1
            f.write(("%d%02d synthetic test grid" % (year, month)).ljust(82).encode() + b"\r\n")
            for row in range(36):
                latitude = 87.5 - 5 * row
                trend = 0.04 if latitude > 0 else 0.01
                values = [trend * k / 12 + 0.4 * np.sin(2 * np.pi * month / 12) * latitude / 90
                          + 0.1 * np.cos(column / 6) if latitude > 0 or year >= 1855 else -99.9
                          for column in range(72)]
                f.write((" ".join("%7.3f" % v for v in values) + "\r\n").encode())


class ChartTests(unittest.TestCase):
    def setUp(self):
        self.folder = os.path.join(BUILD_DIR, "testwork", "render", "chart_tests")
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        with open(os.path.join(self.folder, "positions.txt"), "w") as f:
            f.writelines("%s\t%s\n" % (name, place) for name, place, _ in POSITIONS)

    def test_plotted_values_equal_numpy(self):
        grid = Grid(os.path.join(BUILD_DIR, "run", "data", "cru", "hadcrut4.dat"))
        for method, first, last in ((None, 0, 0), ("cell", 1961, 1990), ("global", 1850, 1900)):
            with self.subTest(method):
                reference = [] if method is None else ["--reference", "%d-%d" % (first, last),
                                                       "--reference-method", method]
                render(self.folder, "--data", "hadcrut4", "--chart", "positions", "--positions",
                       "positions.txt", "--running", "11", "--trend", "1975-2024", *reference,
                       "--out", "reihe.csv")
                months, years, running, slope = read_table(os.path.join(self.folder, "reihe.csv"))
                want_months, want_years = expected_series(grid, method, first, last)
                np.testing.assert_allclose(months, want_months, atol=2e-6)
                np.testing.assert_allclose(years, want_years, atol=2e-6)
                globals_ = want_years[:, 0]
                np.testing.assert_allclose(running, np.convolve(globals_, np.ones(11) / 11, "valid"),
                                           atol=2e-6)
                span = np.arange(1975, 2025)
                self.assertAlmostEqual(np.polyfit(span, globals_[span - 1850], 1)[0] * 10, slope,
                                       delta=2e-6)

    def test_pictures_equal_the_expected_ones(self):
        synthetic_grid(os.path.join(self.folder, "synthetisch.dat"))
        cases = [("chart-640x360.png", ["--chart", "hemispheres", "--size", "640x360",
                                        "--trend", "1850-1859"]),
                 ("chart-320x200.png", ["--chart", "global", "--size", "320x200"]),
                 ("stripes-10.png", ["--chart", "stripes", "--size", "300x120",
                                     "--reference", "1850-1859"])]
        for name, arguments in cases:
            with self.subTest(name):
                render(self.folder, "--data", "synthetisch.dat", *arguments, "--out", name)
                got = Image.open(os.path.join(self.folder, name)).convert("RGB")
                if WRITE_EXPECTED:
                    got.save(os.path.join(EXPECTED, name), optimize=True)
                want = Image.open(os.path.join(EXPECTED, name)).convert("RGB")
                self.assertEqual(want.size, got.size)
                self.assertIsNone(ImageChops.difference(want, got).getbbox(), name)


def main():
    global BUILD_DIR, WRITE_EXPECTED
    BUILD_DIR = os.path.realpath(sys.argv[1])
    WRITE_EXPECTED = "--write-expected" in sys.argv
    arguments = [a for a in sys.argv[2:] if a != "--write-expected"]
    unittest.main(argv=[sys.argv[0]] + arguments, verbosity=2, warnings="ignore")


if __name__ == "__main__":
    main()
