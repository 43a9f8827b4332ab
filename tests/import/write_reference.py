"""Writes what tools/gridimport gives for many inputs, for the Windows test
of the C++ importer's writing half (import_write_tests), which runs the same
inputs through the C++ code and compares them:

    regrid_NNN.bin   a grid, its values, and CellMapping's steps and cells
                     or its refusal
    blocks_NNN.bin   a layout, headers and cells, and format_blocks' bytes
                     and valid cells with the import Summary's coverages
    repeats.bin      longitudes and repeats_first_longitude
    sine.bin         numbers, np.sin of them, and latitude_weights()

    /usr/bin/python3 -B tests/import/write_reference.py FOLDER

The inputs are random with a fixed seed, built to reach every rule: 1, 2,
2.5, 5 and 10-degree grids and finer, from -180 and from 0, north and south
first, pole-centred rows, gaps, halves, equal values, values at the edges
of -99..99 and rounding halves."""

import os
import shutil
import struct
import sys

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tools"))

from gridimport import gridfile, regrid  # noqa: E402
from gridimport.errors import ImportFailure  # noqa: E402
from gridimport.importer import Summary  # noqa: E402

rng = np.random.default_rng(20261208)


class Record:
    """Little-endian numbers, arrays and texts in the order the test reads them."""

    def __init__(self):
        self.parts = []

    def int(self, value):
        self.parts.append(struct.pack("<i", value))

    def doubles(self, values):
        self.parts.append(np.ascontiguousarray(values, dtype="<f8").tobytes())

    def bytes(self, data):
        self.int(len(data))
        self.parts.append(data)

    def save(self, path):
        with open(path, "wb") as out:
            out.write(b"".join(self.parts))


def centres(first, step, count):
    return first + step * np.arange(count)


def values_for(months, lat, lon, kind):
    """months x lat x lon input values of one kind, NaN where missing."""
    shape = (months, lat, lon)
    data = rng.normal(0.0, 3.0, shape)
    if kind == "float32":
        data = data.astype(np.float32).astype(np.float64)
    elif kind == "halves":
        data = rng.choice([7.375, 7.5, -0.125, 0.0005, 2.0625], shape)
    elif kind == "equal":
        # Whole regions of one value, zeros of both signs among them.
        data = np.repeat(rng.choice([0.1, -0.0, 0.0, 12.3456789, -3.25], (months, 1, 1)), lat * lon,
                         axis=2).reshape(shape)
        data[:, : lat // 2] = rng.normal(0.0, 1.0, (months, lat // 2, lon))
    elif kind == "zeros":
        # Equal values of both signs: the sign kept is numpy's fmin and fmax's.
        data = rng.choice([0.0, -0.0], shape)
    elif kind == "large":
        # Far beyond temperatures, where rounding to nine decimals no longer
        # hides the last bits of the sums.
        data = rng.normal(0.0, 1e6, shape)
    elif kind == "edges":
        data = rng.choice([98.9995, 98.99949999, -98.9996, 99.0, -99.0, 98.9, 1e5, -0.0004], shape)
    data[rng.random(shape) < 0.2] = np.nan
    # A gap: a block of cells without data in every month, and a month without any.
    data[:, lat // 3: lat // 3 + max(1, lat // 6), lon // 4: lon // 4 + max(1, lon // 5)] = np.nan
    if months > 2:
        data[1] = np.nan
    return data


def regrid_cases():
    """(name, latitudes, longitudes, months, kind)."""
    five_lat, five_lon = centres(87.5, -5.0, 36), centres(-177.5, 5.0, 72)
    return [
        ("5 degrees from 180W, north first", five_lat, five_lon, 5, "normal"),
        ("5 degrees from 0, south first", five_lat[::-1], centres(2.5, 5.0, 72), 5, "halves"),
        ("5 degrees, part of the globe", centres(-27.5, 5.0, 12), centres(102.5, 5.0, 20), 3, "edges"),
        ("1 degree from 180W", centres(89.5, -1.0, 180), centres(-179.5, 1.0, 360), 4, "normal"),
        ("1 degree from 0, south first", centres(-89.5, 1.0, 180), centres(0.5, 1.0, 360), 3, "float32"),
        ("1 degree on whole degrees, poles", centres(-90.0, 1.0, 181), centres(0.0, 1.0, 360), 3, "halves"),
        ("2 degrees", centres(-89.0, 2.0, 90), centres(1.0, 2.0, 180), 4, "equal"),
        ("2 degrees, zeros of both signs", centres(-89.0, 2.0, 90), centres(1.0, 2.0, 180), 2, "zeros"),
        ("2 degrees on even degrees", centres(88.0, -2.0, 89), centres(-180.0, 2.0, 180), 3, "normal"),
        ("2.5 degrees", centres(88.75, -2.5, 72), centres(1.25, 2.5, 144), 4, "normal"),
        ("2.5 degrees with pole rows", centres(90.0, -2.5, 73), centres(0.0, 2.5, 144), 3, "halves"),
        ("3 degrees", centres(-88.5, 3.0, 60), centres(-178.5, 3.0, 120), 3, "normal"),
        ("0.5 degrees, a region", centres(30.25, 0.5, 60), centres(-29.75, 0.5, 120), 3, "normal"),
        ("0.25 degrees, a region", centres(60.125, -0.25, 60), centres(350.125, 0.25, 100), 2, "equal"),
        ("10 degrees on the 5-degree lines", centres(-85.0, 10.0, 18), centres(-175.0, 10.0, 36), 3, "normal"),
        ("10 x 15 degrees from 0", centres(85.0, -10.0, 18), centres(7.5, 15.0, 24), 3, "halves"),
        ("5 x 1 degrees", five_lat, centres(-179.5, 1.0, 360), 3, "normal"),
        ("1 x 5 degrees", centres(89.5, -1.0, 180), centres(2.5, 5.0, 72), 3, "equal"),
        ("float32 coordinates", centres(-89.5, 1.0, 180).astype(np.float32).astype(np.float64),
         (centres(0.5, 1.0, 360).astype(np.float32) + np.float32(0.00001)).astype(np.float64), 2, "normal"),
        ("edge values averaged", centres(-89.0, 2.0, 90), centres(-179.0, 2.0, 180), 2, "edges"),
        ("1 degree, large values", centres(-89.5, 1.0, 180), centres(-179.5, 1.0, 360), 2, "large"),
        ("1 degree on whole degrees, large values", centres(90.0, -1.0, 181), centres(0.0, 1.0, 360), 2,
         "large"),
        ("2.5 degrees with pole rows, large values", centres(-90.0, 2.5, 73), centres(-180.0, 2.5, 144), 2,
         "large"),
        ("3 degrees, large values", centres(88.5, -3.0, 60), centres(1.5, 3.0, 120), 2, "large"),
        ("0.5 degrees, a region, large values", centres(-60.25, 0.5, 80), centres(170.25, 0.5, 100), 6,
         "large"),
        ("0.25 degrees, a region, large values", centres(10.125, 0.25, 80), centres(-9.875, 0.25, 200), 6,
         "large"),
        ("5 x 1 degrees, large values", five_lat, centres(0.5, 1.0, 360), 2, "large"),
        # Refusals.
        ("one latitude", np.array([2.5]), five_lon, 1, "normal"),
        ("no longitude", five_lat, np.array([]), 1, "normal"),
        ("missing latitude", np.r_[five_lat[:-1], np.nan], five_lon, 1, "normal"),
        ("irregular longitudes", five_lat, np.r_[five_lon[:-1], 178.5], 1, "normal"),
        ("equal latitudes", np.zeros(5), five_lon, 1, "normal"),
        ("beyond the poles", centres(-92.5, 5.0, 38), five_lon, 1, "normal"),
        ("more than 360 degrees", five_lat, centres(-177.5, 5.0, 74), 1, "normal"),
        ("7.5 degrees", centres(-86.25, 7.5, 24), five_lon, 1, "normal"),
        ("10-degree longitudes off the lines", five_lat, centres(-177.5, 10.0, 36), 1, "normal"),
        ("10-degree latitudes off the lines", centres(-87.5, 10.0, 18), five_lon, 1, "normal"),
        ("12.5 degrees", five_lat, centres(-173.75, 12.5, 28), 1, "normal"),
    ]


def write_regrid(folder):
    for number, (name, lat, lon, months, kind) in enumerate(regrid_cases()):
        lat, lon = np.asarray(lat, dtype=np.float64), np.asarray(lon, dtype=np.float64)
        data = values_for(months, lat.size, lon.size, kind)
        record = Record()
        record.bytes(name.encode("ascii"))
        for count in (lat.size, lon.size, months):
            record.int(count)
        record.doubles(lat)
        record.doubles(lon)
        record.doubles(data)
        try:
            mapping = regrid.CellMapping(lat, lon)
        except ImportFailure as failure:
            record.bytes(str(failure).encode("ascii"))
        else:
            record.bytes(b"")
            record.doubles([mapping.latitude_step, mapping.longitude_step])
            record.doubles(mapping.apply(data))
        record.save(os.path.join(folder, f"regrid_{number:03d}.bin"))


def special_cells(months):
    """Cells that reach every rule of the formatter."""
    count = months * gridfile.ROWS * gridfile.COLUMNS
    halves = (rng.integers(-98999, 98999, count) + 0.5) / 1000.0     # x.xxx5 as the nearest double
    picks = np.array([0.0005, -0.0005, 0.0015, 1.0005, 2.6745, -2.6745, 0.0004999, -0.0004, -0.0,
                      98.9995, 98.99949999, -98.9995, 99.0, -99.0, 98.999, -98.999, 100.0,
                      np.inf, -np.inf, np.nan, 1e300, -1e300, 5e-324, 7.4375, -7.4375, 0.1, 2.5])
    cells = np.where(rng.random(count) < 0.5, halves, rng.choice(picks, count))
    cells = np.where(rng.random(count) < 0.3, rng.uniform(-120.0, 120.0, count), cells)
    return cells.reshape(months, gridfile.ROWS, gridfile.COLUMNS)


HEADERS = ["185001 tas_mean HadCRUT.5.0.2.0.analysis.anomalies.ensemble_mean.nc",
           "200012 temperature Müller €uro ñ.nc", "line\rbreak\nand more", "", "month 01",
           "x" * 200, "199907 sst_anomaly Ærø–Łódź.nc"]


def write_blocks(folder):
    regridded = [regrid.CellMapping(centres(89.5, -1.0, 180), centres(-179.5, 1.0, 360))
                 .apply(values_for(3, 180, 360, "halves")),
                 regrid.CellMapping(centres(87.5, -5.0, 36), centres(-177.5, 5.0, 72))
                 .apply(values_for(130, 36, 72, "normal"))]
    inputs = [special_cells(7), special_cells(4), *regridded, np.full((2, 36, 72), np.nan)]
    number = 0
    for layout in gridfile.TARGETS.values():
        for cells in inputs:
            months = cells.shape[0]
            headers = [HEADERS[(number + m) % len(HEADERS)] for m in range(months)]
            data, valid = gridfile.format_blocks(layout, headers, cells)
            summary = Summary(months)
            summary.add(1, valid)
            has = np.flatnonzero(summary.has_data) + 1
            record = Record()
            record.bytes(layout.name.encode("ascii"))
            record.int(months)
            for text in headers:
                # The C++ importer's texts are in the program's code page; a
                # character outside it arrives as one '?'.
                record.bytes(text.encode("cp1252", "replace"))
            record.doubles(cells)
            record.bytes(data)
            record.bytes(valid.astype(np.uint8).tobytes())
            record.doubles(summary.coverage)
            record.bytes(summary.has_data.astype(np.uint8).tobytes())
            first, last = (int(has[0]), int(has[-1])) if has.size else (0, 0)
            start = max(first, last - 119)
            record.int(first)
            record.int(last)
            record.int(start)
            record.doubles([summary.coverage[start - 1:last].mean() if has.size else 0.0,
                            summary.coverage.mean()])
            record.save(os.path.join(folder, f"blocks_{number:03d}.bin"))
            number += 1


def write_repeats(folder):
    cases = [centres(-180.0, 5.0, 73), centres(0.0, 1.0, 361), centres(0.5, 1.0, 360),
             centres(-180.0, 5.0, 72), np.array([0.0, 180.0, 360.0]), np.array([0.0, 360.0]),
             np.r_[centres(0.0, 2.0, 180), 360.0019], np.r_[centres(0.0, 2.0, 180), 360.0021],
             centres(180.0, -2.5, 145), np.array([])]
    record = Record()
    record.int(len(cases))
    for longitudes in cases:
        record.int(longitudes.size)
        record.doubles(longitudes)
        record.int(int(regrid.repeats_first_longitude(longitudes)))
    record.save(os.path.join(folder, "repeats.bin"))


def write_sine(folder):
    edges = np.radians(np.r_[np.arange(-90.0, 90.001, 0.125), np.arange(-90.0, 90.0, 1 / 3)])
    x = np.r_[edges, rng.uniform(-np.pi / 2, np.pi / 2, 20000), rng.uniform(-100.0, 100.0, 2000),
              0.0, -0.0, 1e-300, -1e-20]
    record = Record()
    record.int(x.size)
    record.doubles(x)
    record.doubles(np.sin(x))
    record.doubles(gridfile.latitude_weights())
    record.save(os.path.join(folder, "sine.bin"))


def main():
    folder = sys.argv[1]
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    write_regrid(folder)
    write_blocks(folder)
    write_repeats(folder)
    write_sine(folder)


if __name__ == "__main__":
    main()
