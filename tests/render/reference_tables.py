#!/usr/bin/python3
"""The shown field's numbers against an independent numpy reference computed
from the grid file: per-cell and global reference periods, seasons (DJF over
the turn of the year, months missing), trend maps (years missing). Each field
is exported by orvex_render.exe --out FILE.csv and compared cell by cell.

Usage: reference_tables.py BUILD_DIR [unittest arguments]
"""
import math
import os
import shutil
import subprocess
import sys
import unittest
import warnings

import numpy as np

# Means of cells without any value are NaN, as intended.
warnings.simplefilter("ignore", RuntimeWarning)

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_DIR = None
BLOCK = 20856  # hadcrut4's month block


class Grid:
    """hadcrut4.dat's months as (36, 72) arrays, NaN where a cell has no value."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.count = len(self.data) // BLOCK
        self.months = {}
        # One cell's share of the earth per row, with the program's constants.
        delta, high = 5 * 0.0174532925, 1.570796325
        rows = np.arange(36)
        self.weights = (np.abs(np.sin(high - (rows + 1) * delta) - np.sin(high - rows * delta))
                        / 72.0 * 6371.0 ** 2 * 6.2831853 / (6371.0 ** 2 * 12.5663706))

    def month(self, k):
        if k < 1 or k > self.count:
            return None
        if k not in self.months:
            lines = self.data[(k - 1) * BLOCK:k * BLOCK].split(b"\n")[1:37]
            values = np.array([line.split() for line in lines], dtype=np.float32).astype(float)
            values[(values <= -99) | (values >= 99)] = np.nan
            self.months[k] = values
        return self.months[k]

    def mean_of(self, months):
        """The year-average rule: each cell's mean over the months with a value."""
        stack = [m for m in (self.month(k) for k in months) if m is not None]
        if not stack:
            return np.full((36, 72), np.nan)
        return np.nanmean(np.array(stack), axis=0)

    def global_value(self, field):
        weights = np.broadcast_to(self.weights[:, None], field.shape)
        have = ~np.isnan(field)
        return (field[have] * weights[have]).sum() / weights[have].sum() if have.any() else None


def month_numbers(kind, year):
    if kind == "year":
        return [(year - 1850) * 12 + m for m in range(1, 13)]
    if kind in ("DJF", "MAM", "JJA", "SON"):
        first = (year - 1850) * 12 + 3 * ("DJF", "MAM", "JJA", "SON").index(kind)
        return [first, first + 1, first + 2]
    return [(year - 1850) * 12 + int(kind)]


def referred_field(grid, kind, year, method, first, last):
    months = month_numbers(kind, year)
    if method is None:
        return grid.mean_of(months)
    period = range((first - 1850) * 12 + 1, (last - 1849) * 12 + 1)
    if method == "global":
        values = [grid.global_value(grid.month(k)) for k in period if grid.month(k) is not None]
        shift = np.mean([v for v in values if v is not None])
        return grid.mean_of(months) - shift
    # Per cell and calendar month, the mean over the years with a value,
    # kept where at least half of the years have one.
    years = last - first + 1
    rebased = []
    for k in months:
        if grid.month(k) is None:
            continue
        stack = np.array([grid.month(j) for j in period
                          if (j - k) % 12 == 0 and grid.month(j) is not None])
        count = (~np.isnan(stack)).sum(axis=0)
        climate = np.where(2 * count >= years, np.nanmean(stack, axis=0), np.nan)
        rebased.append(grid.month(k) - climate)
    if not rebased:
        return np.full((36, 72), np.nan)
    return np.nanmean(np.array(rebased), axis=0)


def trend_field(grid, kind, first, last):
    years = np.arange(first, last + 1)
    means = np.array([grid.mean_of(month_numbers(kind, y)) for y in years])
    trend = np.full((36, 72), np.nan)
    for row in range(36):
        for column in range(72):
            have = ~np.isnan(means[:, row, column])
            if have.sum() >= 2 and 3 * have.sum() >= 2 * len(years):
                trend[row, column] = np.polyfit(years[have] - first, means[have, row, column], 1)[0] * 10
    return trend


# (renderer arguments, heading lines 2 and 3, reference field)
CASES = [
    (["--month", "2024-07", "--reference", "1850-1900"],
     ["Zeitraum: Juli 2024", "Bezug: gegenüber 1850–1900 (je Zelle)"],
     lambda g: referred_field(g, "7", 2024, "cell", 1850, 1900)),
    (["--year", "2023", "--reference", "1961-1990", "--reference-method", "global"],
     ["Zeitraum: Jahresdurchschnitt 2023", "Bezug: gegenüber 1961–1990 (global)"],
     lambda g: referred_field(g, "year", 2023, "global", 1961, 1990)),
    (["--season", "2024-JJA", "--reference", "1850-1900"],
     ["Zeitraum: Sommer (JJA) 2024", "Bezug: gegenüber 1850–1900 (je Zelle)"],
     lambda g: referred_field(g, "JJA", 2024, "cell", 1850, 1900)),
    (["--season", "1880-DJF", "--reference", "1870-1879"],
     ["Zeitraum: Winter (DJF) 1880", "Bezug: gegenüber 1870–1879 (je Zelle)"],
     lambda g: referred_field(g, "DJF", 1880, "cell", 1870, 1879)),
    (["--season", "1991-DJF", "--reference", "1951-1980", "--reference-method", "global"],
     ["Zeitraum: Winter (DJF) 1991", "Bezug: gegenüber 1951–1980 (global)"],
     lambda g: referred_field(g, "DJF", 1991, "global", 1951, 1980)),
    (["--season", "1850-DJF"],
     ["Zeitraum: Winter (DJF) 1850", "Bezug: wie gespeichert (1961–1990)"],
     lambda g: referred_field(g, "DJF", 1850, None, 0, 0)),
    (["--trend", "1975-2024"],
     ["Zeitraum: Trend 1975–2024 (Grad Celsius pro Jahrzehnt)",
      "Bezug: keiner, ein Trend hängt vom Bezugszeitraum nicht ab"],
     lambda g: trend_field(g, "year", 1975, 2024)),
    (["--trend", "1860-1900", "--trend-of", "DJF"],
     ["Zeitraum: Trend Winter (DJF) 1860–1900 (Grad Celsius pro Jahrzehnt)",
      "Bezug: keiner, ein Trend hängt vom Bezugszeitraum nicht ab"],
     lambda g: trend_field(g, "DJF", 1860, 1900)),
    (["--trend", "1850-1880", "--trend-of", "07"],
     ["Zeitraum: Trend Juli 1850–1880 (Grad Celsius pro Jahrzehnt)",
      "Bezug: keiner, ein Trend hängt vom Bezugszeitraum nicht ab"],
     lambda g: trend_field(g, "7", 1850, 1880)),
]


class ReferenceTables(unittest.TestCase):
    def test_every_field_equals_the_numpy_reference(self):
        folder = os.path.join(BUILD_DIR, "testwork", "render", "reference_tables")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        grid = Grid(os.path.join(BUILD_DIR, "run", "data", "cru", "hadcrut4.dat"))
        for arguments, heading, reference in CASES:
            with self.subTest(" ".join(arguments)):
                out = os.path.join(folder, "karte.csv")
                done = subprocess.run(
                    ["bash", os.path.join(SOURCE_DIR, "cmake", "wine-run.sh"), "--build-dir",
                     BUILD_DIR, os.path.join(BUILD_DIR, "run", "orvex_render.exe"), "--data",
                     "hadcrut4", *arguments, "--out", out], capture_output=True, timeout=300)
                self.assertEqual(0, done.returncode, done.stderr.decode("utf-8"))
                with open(out, "rb") as f:
                    lines = f.read().decode("cp1252").split("\r\n")
                self.assertEqual(["Datenbank: hadcrut4.dat"] + heading + ["-99,9 Keine Daten"],
                                 lines[:4])
                self.assertEqual("", lines[-1])
                expected = reference(grid)
                self.assertGreater((~np.isnan(expected)).sum(), 100, "a field with data")
                table = [line.replace(",", ".").split(";") for line in lines[5:-1]]
                self.assertEqual(36 * 72, len(table))
                for i, (latitude, longitude, value) in enumerate(table):
                    row, column = divmod(i, 72)
                    self.assertEqual((87.5 - 5 * row, -177.5 + 5 * column),
                                     (float(latitude), float(longitude)))
                    want = expected[row, column]
                    if math.isnan(want):
                        self.assertEqual("-99.9", value, (row, column))
                    else:
                        self.assertAlmostEqual(want, float(value), delta=2e-6, msg=(row, column))


def main():
    global BUILD_DIR
    BUILD_DIR = os.path.realpath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
