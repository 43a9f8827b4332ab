"""Tests of tools/import-grid.

Small netCDF files in the layouts of the published data sets go through the
importer as a user runs it; the written grid files are compared byte for
byte with a straightforward writer here and read back with a reader here
that follows the program's token rules. The months, cells, global values and
coverages the program should show are written to expectations.txt beside
the imported files, for the Windows test that opens them with OrvexDatabase.

    /usr/bin/python3 -B tests/importer/test_import_grid.py [unittest options]

IMPORT_GRID_TEST_DIR names the work folder (default: a temporary one); it is
emptied first.
"""

import datetime
import math
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from decimal import ROUND_HALF_UP, Decimal

import cftime
import netCDF4
import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
IMPORTER = os.path.join(SOURCE, "tools", "import-grid-python")
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(SOURCE, "tools"))

import products as p  # noqa: E402
from gridimport import regrid, timeaxis  # noqa: E402

# What the program reads: block size per file; the field width of each.
LAYOUTS = {
    "hadcrut4": (20856, 7), "hadcrut3": (28613, 10), "hadcrut3v": (28613, 10),
    "hadsst2": (20780, 7), "abstem3": (28561, 10),
}
MISSING = -99.9

WORK = os.environ.get("IMPORT_GRID_TEST_DIR") or tempfile.mkdtemp(prefix="import-grid-test-")


def run_importer(*arguments, without_netcdf4=False):
    """(exit code, stdout, stderr) of the importer, run as a user runs it;
    optionally on a Python where netCDF4 cannot be imported."""
    if without_netcdf4:
        launcher = ("import runpy, sys; sys.modules['netCDF4'] = None; sys.argv = sys.argv[1:]; "
                    "runpy.run_path(sys.argv[0], run_name='__main__')")
        command = [sys.executable, "-B", "-c", launcher, IMPORTER, *arguments]
    else:
        command = [sys.executable, "-B", IMPORTER, *arguments]
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    return done.returncode, done.stdout, done.stderr


def read_bytes(path, count=-1):
    with open(path, "rb") as f:
        return f.read(count)


def fresh_folder(*parts):
    path = os.path.join(WORK, *parts)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


# --- The reference writer and the reader -------------------------------------

def token(value, width):
    """A value as the grid file should hold it: three decimals, halves away
    from zero, -99.9 when missing or not strictly inside -99..99."""
    if abs(value) < 99.5:  # false for NaN
        rounded = Decimal(float(value)).quantize(Decimal("0.001"), rounding=ROUND_HALF_UP)
        if -99 < rounded < 99:
            return str(abs(rounded) if rounded == 0 else rounded).rjust(width)
    return f"{MISSING:.3f}".rjust(width)


def reference_file(target, headers, cells):
    block_size, width = LAYOUTS[target]
    out = bytearray()
    for header, field in zip(headers, cells):
        rows = b"".join((" ".join(token(v, width) for v in row) + "\r\n").encode() for row in field)
        room = block_size - len(rows) - 2
        out += header.encode()[:room].ljust(room) + b"\r\n" + rows
    return bytes(out)


def read_grid(path, target):
    """(headers, cells (months, 36, 72) with NaN where the program sees no
    value), checking the layout: whole blocks, a header line and 36 rows of
    72 tokens each, every line ended by CR LF."""
    block_size, _ = LAYOUTS[target]
    data = read_bytes(path)
    assert len(data) % block_size == 0, f"{path}: {len(data)} bytes are not whole blocks of {block_size}"
    headers, cells = [], []
    for start in range(0, len(data), block_size):
        lines = data[start:start + block_size].split(b"\r\n")
        assert len(lines) == 38 and lines[-1] == b"", f"{path}: block at {start} is not a header and 36 rows"
        headers.append(lines[0].decode())
        assert len({len(line) for line in lines[1:37]}) == 1, f"{path}: rows of different lengths"
        field = []
        for line in lines[1:37]:
            tokens = line.split()
            assert len(tokens) == 72, f"{path}: a row of {len(tokens)} values"
            values = [float(np.float32(float(t))) for t in tokens]
            field.append([v if -99.0 < v < 99.0 else math.nan for v in values])
        cells.append(field)
    return headers, np.array(cells)


def header(block, variable, input_name):
    year, month = divmod(block - 1, 12)
    return f"{1850 + year:04d}{month + 1:02d} {variable} {input_name}"


# --- What the program computes from a field --------------------------------

def program_weights():
    """The program's row weights, computed as it computes them."""
    delta = 5 * 0.0174532925
    sphere = 6371.0 * 6371.0 * 12.5663706
    upper, lower = 1.570796325, 1.570796325 - delta
    weights = []
    for _ in range(36):
        weights.append(abs(math.sin(lower) - math.sin(upper)) * (1.0 / 72.0) * (6371.0 * 6371.0) * 6.2831853
                       * (1.0 / sphere))
        lower -= delta
        upper -= delta
    return weights


def program_field(fields):
    """(cell means, cells with data, global value, coverage) of the program's
    average of one or more monthly fields, in its order of summation."""
    weights = program_weights()
    means = np.full((36, 72), math.nan)
    weighted, covered, count = 0.0, 0.0, 0
    for r in range(36):
        for c in range(72):
            values = [f[r][c] for f in fields if not math.isnan(f[r][c])]
            if values:
                total = 0.0
                for v in values:
                    total += v
                means[r, c] = total / len(values)
                count += 1
                weighted = means[r, c] * weights[r] + weighted
                covered += weights[r]
    return means, count, (weighted / covered if count else 0.0), covered * 100.0


class Expectations:
    """Lines for the Windows test: which file, and what chosen months show."""

    def __init__(self):
        self.lines = []

    def add(self, folder, target, cells, months, cells_to_check, year=None):
        """cells_to_check: (row, column) pairs."""
        self.lines.append(f"file {os.path.relpath(folder, WORK)} {target}")
        for block in months:
            means, count, mean, coverage = program_field([cells[block - 1]])
            y, m = divmod(block - 1, 12)
            self.lines.append(f"month {1850 + y} {m + 1} {count} {mean!r} {coverage!r}")
            for r, c in cells_to_check:
                value = means[r, c]
                self.lines.append(f"cell {c} {r} " + ("missing" if math.isnan(value) else repr(value)))
        if year is not None:
            fields = cells[(year - 1850) * 12:(year - 1850) * 12 + 12]
            means, count, mean, coverage = program_field(list(fields))
            self.lines.append(f"year {year} {count} {mean!r} {coverage!r}")

    def save(self):
        with open(os.path.join(WORK, "expectations.txt"), "w") as out:
            out.write("\n".join(self.lines) + "\n")


# --- Expected 5-degree cells of the inputs ------------------------------------

def cells_of_5_degrees(values, north_first=False, from_greenwich=False):
    """The program's cells of 5-degree input values (time, lat, lon)."""
    cells = values if north_first else values[:, ::-1, :]
    if from_greenwich:
        cells = np.roll(cells, 36, axis=2)  # column 0 is 180W = 180E
    return cells.astype(np.float64)


def averaged_cells(values, latitudes, longitudes, step):
    """Area-weighted means over the parts of fine input cells (in any order,
    longitudes from -180 or from 0) inside each 5-degree cell,
    straightforwardly: a cell whose parts all hold one value takes it, any
    other mean is rounded to nine decimals."""
    months = values.shape[0]
    cells = np.full((months, 36, 72), math.nan)
    for r in range(36):
        top, bottom = 90 - 5 * r, 85 - 5 * r
        rows = []
        for i, lat in enumerate(latitudes):
            high, low = min(lat + step / 2, top), max(lat - step / 2, bottom)
            if high > low:
                rows.append((i, math.sin(math.radians(high)) - math.sin(math.radians(low))))
        for c in range(72):
            west, east = -180 + 5 * c, -175 + 5 * c
            parts = []
            for j, lon in enumerate(longitudes):
                for centre in (lon - 360, lon, lon + 360):
                    overlap = min(centre + step / 2, east) - max(centre - step / 2, west)
                    if overlap > 1e-9:
                        parts.extend((i, j, a * overlap) for i, a in rows)
            for t in range(months):
                total = weight = 0.0
                found = set()
                for i, j, w in parts:
                    if not math.isnan(values[t, i, j]):
                        total += w * values[t, i, j]
                        weight += w
                        found.add(float(values[t, i, j]))
                if len(found) == 1:
                    cells[t, r, c] = found.pop()
                elif weight > 0:
                    cells[t, r, c] = float(Decimal(total / weight).quantize(Decimal("1e-9")))
    return cells


def anomalies(rng, months, lats, lons, missing_share=0.2):
    """Plausible anomaly values with a missing pattern that moves with time."""
    values = rng.normal(0.3, 1.2, (months, lats, lons))
    values[rng.random((months, lats, lons)) < missing_share] = math.nan
    values[:, :lats // 12, :] = math.nan  # no data near the south pole
    return values


def quantised(values, scale):
    """Values as a packed short with this scale factor reads back."""
    packed = np.round(values / scale)
    return np.where(np.isnan(values), math.nan, packed.astype(np.float32) * np.float32(scale))


# --- Files as they come from elsewhere ------------------------------------------
# Each writes its file and returns the values in the file's order (NaN where
# missing) and the latitudes and longitudes of the cell centres.

def axis(name, values, **attributes):
    return (name, name, values, attributes)


def field(rng, shape, mean=0.3, spread=1.2):
    values = rng.normal(mean, spread, shape).astype(np.float32)
    values[rng.random(shape) < 0.2] = math.nan
    return values


def ocean_atlas(path, rng, depths, step, units="DEG C", offset=0.0):
    """An ocean atlas' climatology as Ferret writes it: upper-case names,
    depths in METERS positive down and nothing else saying what they are,
    longitudes from 0, a 360-day calendar; TEMP beside SALT."""
    lats, lons = p.centres(-90 + step / 2, step, round(180 / step)), p.centres(step / 2, step, round(360 / step))
    values = field(rng, (12, len(depths), len(lats), len(lons)), 12 + offset, 8)
    dims = ("TIME", "DEPTH", "LAT", "LON")
    p.any_layout(path, dict(zip(dims, (None, len(depths), len(lats), len(lons)))),
                 [axis("TIME", 15.0 + 30 * np.arange(12), units="days since 2000-01-01", calendar="360_day"),
                  axis("DEPTH", np.asarray(depths, dtype=np.float32), units="METERS", positive="down"),
                  axis("LAT", lats, units="degrees_north"), axis("LON", lons, units="degrees_east")],
                 [("TEMP", dims, values, {"units": units, "long_name": "TEMPERATURE"}),
                  ("SALT", dims, values + 20, {"units": "PSU", "long_name": "SALINITY"})])
    return values, lats, lons


def depth_only(path, rng, depths):
    """The same atlas without its time axis: twelve depths are not twelve months."""
    values = field(rng, (len(depths), 36, 72))
    p.any_layout(path, {"DEPTH": len(depths), "LAT": 36, "LON": 72},
                 [axis("DEPTH", np.asarray(depths, dtype=np.float32), units="METERS", positive="down"),
                  axis("LAT", p.LATITUDES["5"], units="degrees_north"),
                  axis("LON", p.LONGITUDES["5"], units="degrees_east")],
                 [("TEMP", ("DEPTH", "LAT", "LON"), values, {"units": "DEG C"})])
    return values, p.LATITUDES["5"], p.LONGITUDES["5"]


def pressure_levels(path, rng):
    """A reanalysis' monthly means on pressure levels, known as such only by
    their units: 2.5 degrees, poles included, north first, longitudes from 0,
    in degK."""
    lats, lons = p.centres(90, -2.5, 73), p.centres(0, 2.5, 144)
    values = field(rng, (12, 5, 73, 144), 260, 20)
    dims = ("time", "isobaric", "lat", "lon")
    hours = 24 * np.array([(p.month_start(p.month_number(1991, m)) - p.month_start(p.month_number(1800, 1))).days
                           for m in range(1, 13)], dtype=np.float64)
    p.any_layout(path, dict(zip(dims, (None, 5, 73, 144))),
                 [axis("time", hours, units="hours since 1800-01-01 00:00:0.0"),
                  axis("isobaric", np.float32([1000, 925, 850, 700, 500]), units="hPa"),
                  axis("lat", lats, units="degrees_north"), axis("lon", lons, units="degrees_east")],
                 [("air", dims, values, {"units": "degK", "long_name": "Monthly Mean Air Temperature"})])
    return values, lats, lons


def prepared_for_plotting(path, rng, differing=0):
    """2.5-degree anomalies whose longitudes run from 0 to 360 inclusive; the
    last column repeats the first, in `differing` cells with another value."""
    lats, lons = p.centres(-90, 2.5, 73), p.centres(0, 2.5, 145)
    values = field(rng, (4, 73, 145))
    values[:, :, -1] = values[:, :, 0]
    values[1, 10:10 + differing, -1] = 5.0
    p.any_layout(path, {"time": None, "lat": 73, "lon": 145},
                 [axis("time", p.days_since(datetime.date(1850, 1, 1), p.month_number(1850, 1) + np.arange(4)),
                       units="days since 1850-01-01"),
                  axis("lat", lats, units="degrees_north"), axis("lon", lons, units="degrees_east")],
                 [("anomaly", ("time", "lat", "lon"), values, {"units": "deg_C"})])
    return values[:, :, :-1], lats, lons[:-1]


def renamed_coordinates(path, rng, through_attribute=True):
    """Dimensions t, y, x whose coordinates have other names: found through
    the `coordinates` attribute (x itself only counts), or by their units
    alone. The temperature is AIRT in Deg C beside a count."""
    values = field(rng, (3, 36, 72))
    names = ("TIME", "LATITUDE", "LONGITUDE") if through_attribute else ("TIME1", "nav_lat", "nav_lon")
    p.any_layout(path, {"t": None, "y": 36, "x": 72},
                 [(names[0], "t", p.days_since(datetime.date(1850, 1, 1), p.month_number(1850, 1) + np.arange(3)),
                   {"units": "days since 1850-01-01"}),
                  (names[1], "y", p.LATITUDES["5"], {"units": "degrees_north"}),
                  (names[2], "x", p.LONGITUDES["5"], {"units": "degree_east"}),
                  ("x", "x", np.arange(1.0, 73.0), {"long_name": "column"})],
                 [("AIRT", ("t", "y", "x"), values,
                   {"units": "Deg C", "long_name": "AIR TEMPERATURE", "coordinates": " ".join(names)}
                   if through_attribute else {"units": "Deg C", "long_name": "AIR TEMPERATURE"}),
                  ("COUNT", ("t", "y", "x"), np.ones((3, 36, 72)), {"units": "count"})])
    return values, p.LATITUDES["5"], p.LONGITUDES["5"]


def sea_and_air(path, rng, air=True, standard_name_only=False):
    """A 12-month climatology of SST in K (CF standard_name, upper-case
    name) with an ice fraction, and optionally AIRT in DEG C besides; or
    just a CF standard_name without units on a lower-case name."""
    values = field(rng, (12, 36, 72), 285, 10)
    dims = ("time", "lat", "lon")
    variables = [("ICE", dims, np.zeros((12, 36, 72)), {"units": "1", "long_name": "SEA ICE FRACTION"})]
    if standard_name_only:
        values -= 285
        variables.append(("t_anomaly", dims, values, {"standard_name": "air_temperature_anomaly"}))
    else:
        variables.append(("SST", dims, values, {"units": "K", "long_name": "SEA SURFACE TEMPERATURE",
                                                 "standard_name": "sea_surface_temperature"}))
    if air:
        variables.append(("AIRT", dims, values - 273.15, {"units": "DEG C", "long_name": "AIR TEMPERATURE"}))
    p.any_layout(path, {"time": None, "lat": 36, "lon": 72},
                 [axis("time", p.days_since(datetime.date(1961, 1, 1), p.month_number(1961, 1) + np.arange(12)),
                       units="days since 1961-01-01", calendar="standard"),
                  axis("lat", p.LATITUDES["5-north"], units="degrees_north"),
                  axis("lon", p.LONGITUDES["5"], units="degrees_east")], variables)
    return values, p.LATITUDES["5-north"], p.LONGITUDES["5"]


# (5-degree row, column, input cells given the value, value): cells whose only
# input cells with data hold an exact half; the rest of each cell is missing.
HALVES = ((5, 10, 1, -3.5625), (5, 13, 25, 7.4375), (20, 30, 1, 7.4375), (20, 33, 6, -3.5625),
          (27, 40, 1, -3.5625), (27, 43, 1, 7.4375), (33, 50, 1, -3.5625), (8, 60, 1, 7.4375))
# 5-degree cells (row, column) whose 1-degree inputs with data are one row of
# different values averaging to 7.4375, where the plain mean falls just below.
MIXED = ((32, 12), (25, 12), (19, 12))
ROUNDED_HALVES = {-3.5625: "-3.563", 7.4375: "7.438"}


def halves(path, rng, step):
    """Anomalies on a 1- or 2-degree grid (south first, from 180W) with the
    cells of HALVES, and on 1 degree the cells of MIXED."""
    lats, lons = p.LATITUDES[str(step)], p.LONGITUDES[str(step)]
    values = field(rng, (2, len(lats), len(lons)))
    for row, column, count, half in HALVES:
        top, west = 90 - 5 * row, -180 + 5 * column
        inside = [(i, j) for i in range(len(lats)) for j in range(len(lons))
                  if abs(lats[i] - (top - 2.5)) < 2.5 + step / 2 and abs(lons[j] - (west + 2.5)) < 2.5 + step / 2]
        for n, (i, j) in enumerate(inside):
            values[:, i, j] = half if n < count else math.nan
    for row, column in MIXED * (step == 1):
        south = 175 - 5 * row
        values[:, south:south + 5, 5 * column:5 * column + 5] = math.nan
        values[:, south + 2, 5 * column:5 * column + 5] = [7.375, 7.5, 7.4375, 7.375, 7.5]
    p.any_layout(path, {"time": None, "lat": len(lats), "lon": len(lons)},
                 [axis("time", [15.5, 45.0], units="days since 1850-01-01"),
                  axis("lat", lats, units="degrees_north"), axis("lon", lons, units="degrees_east")],
                 [("ta", ("time", "lat", "lon"), values, {"units": "K", "standard_name": "air_temperature_anomaly"})])
    return values, lats, lons


class ImportedProductsTest(unittest.TestCase):
    """Each data set's layout through the importer: the whole file byte for
    byte, the values as the program reads them, and the report."""

    expectations = Expectations()

    @classmethod
    def tearDownClass(cls):
        cls.expectations.save()

    def imported(self, name, target, writer, months, values, arguments=()):
        folder, path, report, _ = self.imported_file(name, target, lambda f: writer(f, months, values), arguments)
        return folder, path, report

    def imported_file(self, name, target, write, arguments=()):
        """(folder, written file, report, what write returned) of importing
        the file that write(path) makes."""
        folder = fresh_folder("products", name)
        source = os.path.join(folder, name + ".nc")
        made = write(source)
        code, out, err = run_importer(source, "--as", target, "--out", folder, *arguments)
        self.assertEqual(0, code, err)
        self.assertEqual("", err)
        return folder, os.path.join(folder, "data", "cru", target + ".dat"), out, made

    def check_file(self, path, target, variable, input_name, expected):
        headers = [f"month {k:02d}" if target == "abstem3" else header(k, variable, input_name)
                   for k in range(1, len(expected) + 1)]
        written = read_bytes(path)
        reference = reference_file(target, headers, expected)
        self.assertEqual(len(reference), len(written))
        if written != reference:
            at = next(i for i in range(len(written)) if written[i] != reference[i])
            self.fail(f"{path} differs at byte {at}: {written[at - 20:at + 20]!r} / {reference[at - 20:at + 20]!r}")
        read_headers, cells = read_grid(path, target)
        self.assertEqual([h[:len(read_headers[0])].rstrip() for h in headers], [h.rstrip() for h in read_headers])
        missing = np.vectorize(lambda v: token(v, 7) == f"{MISSING:.3f}")(expected)
        np.testing.assert_array_equal(missing, np.isnan(cells))
        ok = ~np.isnan(cells)
        np.testing.assert_allclose(cells[ok], expected[ok], atol=0.0005 + 1e-6, rtol=0)
        return cells

    def test_met_office_layouts(self):
        rng = np.random.default_rng(5)
        months = [p.month_number(1850, 1) + i for i in range(27)]
        values = anomalies(rng, 27, 36, 72)
        # Halves round away from zero; rounded values must lie strictly inside
        # -99..99. The double nearest to 98.9995 lies below the half.
        edge = [0.0625, -0.0625, 0.1875, -0.0004, 98.9994, 98.99950000000001, -98.99950000000001, 99.0, -99.0,
                1e29, 98.9995]
        values[3, 20, :len(edge)] = edge

        folder, path, report = self.imported("hadcrut5", "hadcrut4", p.hadcrut5, months, values)
        cells = self.check_file(path, "hadcrut4", "tas_mean", "hadcrut5.nc", cells_of_5_degrees(values))
        self.assertEqual(["0.063", "-0.063", "0.188", "0.000", "98.999"], [f"{v:.3f}" for v in cells[3, 15, :5]])
        self.assertTrue(np.isnan(cells[3, 15, 5:10]).all())
        self.assertEqual(np.float32(98.999), cells[3, 15, 10])
        self.assertIn("months written:   27 (1850-01 to 1852-03), 20856 bytes each", report)
        self.assertIn("data:             1850-01 to 1852-03", report)
        self.assertIn("read with netCDF4", report)
        self.expectations.add(folder, "hadcrut4", cells, [1, 4, 27], [(15, 0), (15, 4), (15, 6), (35, 3), (0, 71)])

        for name, target, writer, variable in (("hadcrut4", "hadcrut3", p.hadcrut4, "temperature_anomaly"),
                                               ("crutem5", "hadcrut3v", p.crutem5, "tas"),
                                               ("hadsst4", "hadsst2", p.hadsst4, "tos")):
            with self.subTest(name):
                floats = anomalies(rng, 27, 36, 72).astype(np.float32)
                floats[5, 10, :len(edge)] = edge
                folder, path, _ = self.imported(name, target, writer, months, floats)
                if target == "hadsst2":  # the header line holds only the month
                    self.assertEqual(b"185001\r\n", read_bytes(path, 8))
                cells = self.check_file(path, target, variable, name + ".nc", cells_of_5_degrees(floats))
                self.expectations.add(folder, target, cells, [6], [(25, 0), (25, 3), (25, 6), (1, 1)])

    def test_noaa_layout_with_a_gap(self):
        """Levels, longitudes from 0 to 360, days since 1800, a month missing in the time axis."""
        rng = np.random.default_rng(7)
        all_months = [p.month_number(1850, 1) + i for i in range(26)]
        gap = 5  # June 1850
        months = all_months[:gap] + all_months[gap + 1:]
        values = anomalies(rng, 25, 36, 72).astype(np.float32)
        folder, path, report = self.imported("noaaglobaltemp", "hadcrut4", p.noaaglobaltemp, months, values)
        expected = cells_of_5_degrees(values, from_greenwich=True)
        expected = np.insert(expected, gap, math.nan, axis=0)
        cells = self.check_file(path, "hadcrut4", "anom", "noaaglobaltemp.nc", expected)
        self.assertIn("note: 1 month(s) between 1850-01 and 1852-02 have no time step", report)
        self.expectations.add(folder, "hadcrut4", cells, [5, 6, 7], [(20, 0), (20, 35), (20, 36), (20, 71)],
                              year=1850)

    def test_fine_grids_averaged(self):
        rng = np.random.default_rng(11)
        # Berkeley Earth: 1 degree, decimal years, starting before 1850.
        months = [p.month_number(1849, 9) + i for i in range(16)]
        values = anomalies(rng, 16, 180, 360, missing_share=0.6).astype(np.float32)
        values[:, 100:105, 200:205] = math.nan  # a 5-degree cell with no data at all
        values[:, 120:125, 10:15] = math.nan
        values[:, 122, 12] = 1.5  # ... and one with a single sub-cell of data
        folder, path, report = self.imported("berkeley", "hadcrut4", p.berkeley, months, values)
        expected = averaged_cells(values[4:], p.LATITUDES["1"], p.LONGITUDES["1"], 1.0)
        cells = self.check_file(path, "hadcrut4", "temperature", "berkeley.nc", expected)
        self.assertTrue(np.isnan(cells[:, 35 - 20, 72 // 2 + 4]).all())
        self.assertEqual(1.5, cells[0, 35 - 24, 2])
        self.assertIn("note: 4 month(s) before January 1850 left out (1849-09 to 1849-12)", report)
        self.assertIn("(1 x 1 degrees, averaged onto 5 x 5)", report)
        self.expectations.add(folder, "hadcrut4", cells, [1, 12], [(11, 2), (15, 40), (10, 10)])

        # GISTEMP: 2 degrees (cells straddle the 5-degree lines), packed shorts, from 1880.
        months = [p.month_number(1880, 1) + i for i in range(14)]
        values = quantised(anomalies(rng, 14, 90, 180, missing_share=0.3), 0.01)
        folder, path, report = self.imported("gistemp", "hadcrut3", p.gistemp, months, values)
        expected = np.concatenate([np.full((360, 36, 72), math.nan),
                                   averaged_cells(values, p.LATITUDES["2"], p.LONGITUDES["2"], 2.0)])
        cells = self.check_file(path, "hadcrut3", "tempanomaly", "gistemp.nc", expected)
        self.assertIn("months written:   374 (1850-01 to 1881-02)", report)
        self.assertIn("data:             1880-01 to 1881-02", report)
        self.assertIn("note: 1850-01 to 1879-12 precede the input and have no data", report)
        self.expectations.add(folder, "hadcrut3", cells, [1, 361, 374], [(0, 0), (20, 30), (35, 71)])

    def test_climatologies(self):
        rng = np.random.default_rng(13)
        values = quantised(rng.normal(8, 15, (12, 36, 72)), 0.1)
        values[:, 30:, :] = math.nan
        folder, path, report = self.imported("absolute", "abstem3", lambda path, months, v: p.cru_absolute(path, v),
                                             None, values)
        headers = [f"month {m:02d}" for m in range(1, 13)]
        self.assertEqual(reference_file("abstem3", headers, cells_of_5_degrees(values, north_first=True)),
                         read_bytes(path))
        self.assertIn("months written:   12 (climatology, block 1 = January)", report)
        _, cells = read_grid(path, "abstem3")
        self.expectations.add(folder, "abstem3", cells, [1, 7], [(10, 10), (29, 50), (30, 50)])

        # In kelvin, and as Berkeley Earth's climatology beside its anomalies.
        kelvin = quantised(rng.normal(280, 15, (12, 36, 72)), 0.1)
        folder, path, _ = self.imported("kelvin", "abstem3",
                                        lambda path, months, v: p.cru_absolute(path, v, units="K"), None, kelvin)
        _, cells = read_grid(path, "abstem3")
        np.testing.assert_allclose(cells, cells_of_5_degrees(kelvin, north_first=True) - 273.15, atol=0.0005 + 1e-6)

        # Placed by the months of its dates, here July to June; in kelvin as the layout says.
        dated = rng.normal(278, 10, (12, 36, 72))
        folder, path, _ = self.imported("dated", "abstem3", p.hadcrut5,
                                        [p.month_number(1961, 7) + i for i in range(12)], dated)
        _, cells = read_grid(path, "abstem3")
        expected = np.roll(cells_of_5_degrees(dated), 6, axis=0) - 273.15  # January is the 7th step
        np.testing.assert_allclose(cells, expected, atol=0.0005 + 1e-6)

        climatology = rng.normal(5, 10, (12, 180, 360)).astype(np.float32)
        folder, path, _ = self.imported(
            "berkeley-climatology", "abstem3",
            lambda path, months, v: p.berkeley(path, months, v, climatology=climatology),
            [p.month_number(1850, 1) + i for i in range(3)], np.zeros((3, 180, 360)),
            arguments=("--variable", "climatology"))
        _, cells = read_grid(path, "abstem3")
        expected = averaged_cells(climatology, p.LATITUDES["1"], p.LONGITUDES["1"], 1.0)
        np.testing.assert_allclose(cells, expected, atol=0.0005 + 1e-6)

    def test_files_as_they_come(self):
        """Files from elsewhere: levels chosen with --level, a repeated 360-degree
        column, coordinates under other names, upper-case and CF-named
        variables in K and degrees C, and exact halves after averaging."""
        rng = np.random.default_rng(41)
        depths12 = [0, 10, 20, 30, 50, 75, 100, 125, 150, 200, 250, 300]
        depths20 = depths12 + [400, 500, 600, 700, 800, 900, 1000, 1100]
        kelvin = -273.15
        # name, writer, arguments, target, variable, level taken, offset, report lines
        cases = (
            ("depth12", lambda f: ocean_atlas(f, rng, depths12, 1.0), ("--level", "10"), "abstem3", "TEMP", 1, 0.0,
             ["level:            10 on the axis 'DEPTH' (METERS, positive down), level 2 of 12",
              "variable:         'TEMP' (\"TEMPERATURE\", units DEG C), the file's only temperature variable"]),
            ("depth20", lambda f: ocean_atlas(f, rng, depths20, 5.0, "K", 273.15), ("--level", "0"), "abstem3",
             "TEMP", 0, kelvin, ["level:            0 on the axis 'DEPTH' (METERS, positive down), level 1 of 20",
                                 "units K, converted to degrees C"]),
            ("pressure", lambda f: pressure_levels(f, rng), ("--level", "850"), "abstem3", "air", 2, kelvin,
             ["level:            850 on the axis 'isobaric' (hPa), level 3 of 5", "(2.5 x 2.5 degrees, averaged"]),
            ("cyclic-equal", lambda f: prepared_for_plotting(f, rng), (), "hadcrut4", "anomaly", None, 0.0,
             ["note: the last longitude (360) repeats the first (0) and was left out\n"]),
            ("cyclic-unequal", lambda f: prepared_for_plotting(f, rng, differing=7), (), "hadcrut4", "anomaly",
             None, 0.0, ["note: the last longitude (360) repeats the first (0) and was left out; 7 of its values "
                         "differ from the first column's, the first column's were used"]),
            ("coordinates", lambda f: renamed_coordinates(f, rng), (), "hadcrut3", "AIRT", None, 0.0,
             ["variable:         'AIRT' (\"AIR TEMPERATURE\", units Deg C), the file's only temperature variable"]),
            ("by-units", lambda f: renamed_coordinates(f, rng, through_attribute=False), (), "hadcrut3v", "AIRT",
             None, 0.0, ["'AIRT' (5 x 5 degrees)"]),
            ("sst-kelvin", lambda f: sea_and_air(f, rng, air=False), (), "abstem3", "SST", None, kelvin,
             ["variable:         'SST' (\"SEA SURFACE TEMPERATURE\", units K, converted to degrees C), "
              "the file's only temperature variable"]),
            ("chosen", lambda f: sea_and_air(f, rng), ("--variable", "sst"), "abstem3", "SST", None, kelvin,
             ["given with --variable"]),
            ("standard-name", lambda f: sea_and_air(f, rng, air=False, standard_name_only=True), (), "abstem3",
             "t_anomaly", None, 0.0, ["variable:         't_anomaly' (units none), the file's only temperature"]),
            ("halves-1", lambda f: halves(f, rng, 1), (), "hadcrut4", "ta", None, 0.0, ["(1 x 1 degrees, averaged"]),
            ("halves-2", lambda f: halves(f, rng, 2), (), "hadcrut4", "ta", None, 0.0, ["(2 x 2 degrees, averaged"]),
        )
        for name, writer, arguments, target, variable, level, offset, lines in cases:
            with self.subTest(name):
                folder, path, report, (values, lats, lons) = self.imported_file(name, target, writer, arguments)
                values = values[:, level] if level is not None else values
                expected = averaged_cells(values.astype(np.float64) + offset, lats, lons, abs(lats[1] - lats[0]))
                cells = self.check_file(path, target, variable, name + ".nc", expected)
                for line in lines:
                    self.assertIn(line, report)
                if name.startswith("halves"):
                    checked = [(r, c, half) for r, c, _, half in HALVES] + [(r, c, 7.4375) for r, c in MIXED] * (
                        name == "halves-1")
                    for row, column, half in checked:
                        self.assertEqual([ROUNDED_HALVES[half]] * 2, [f"{v:.3f}" for v in cells[:, row, column]],
                                         (row, column))
                self.expectations.add(folder, target, cells, [1, 2], [(5, 10), (5, 13), (20, 30), (30, 0), (2, 71)])

    def test_same_file_through_xarray(self):
        """Without netCDF4 the importer reads through xarray and writes the same bytes."""
        rng = np.random.default_rng(17)

        def product(writer, months, shape, scale=None):
            values = anomalies(rng, len(months), *shape)
            return lambda source: writer(source, months, values if scale is None else quantised(values, scale))

        cases = (
            ("hadcrut5", "hadcrut4", product(p.hadcrut5, [p.month_number(1850, 1) + i for i in range(5)], (36, 72))),
            ("noaaglobaltemp", "hadsst2",
             product(p.noaaglobaltemp, [p.month_number(1850, 3) + i for i in range(5)], (36, 72))),
            ("gistemp", "hadcrut3",
             product(p.gistemp, [p.month_number(1850, 2) + 2 * i for i in range(4)], (90, 180), scale=0.01)),
            ("berkeley", "hadcrut4", product(p.berkeley, [p.month_number(1849, 11) + i for i in range(4)], (180, 360))),
            ("depth", "abstem3", lambda source: ocean_atlas(source, rng, [0, 10, 20], 2.0), "--level", "20"),
            ("cyclic", "hadcrut4", lambda source: prepared_for_plotting(source, rng, differing=3)),
            ("coordinates", "hadcrut4", lambda source: renamed_coordinates(source, rng)),
            ("by-units", "hadcrut4", lambda source: renamed_coordinates(source, rng, through_attribute=False)),
            ("halves", "hadcrut4", lambda source: halves(source, rng, 1)),
        )
        for name, target, write, *arguments in cases:
            with self.subTest(name):
                folder = fresh_folder("xarray", name)
                source = os.path.join(folder, name + ".nc")
                write(source)
                outputs = []
                for without in (False, True):
                    out = fresh_folder("xarray", name, "out")
                    code, report, err = run_importer(source, "--as", target, "--out", out, *arguments,
                                                     without_netcdf4=without)
                    self.assertEqual(0, code, err)
                    self.assertIn("read with xarray" if without else "read with netCDF4", report)
                    outputs.append((read_bytes(os.path.join(out, "data", "cru", target + ".dat")),
                                    report.replace("xarray", "netCDF4")))
                self.assertEqual(outputs[0], outputs[1])


class CellMappingTest(unittest.TestCase):
    def test_copy_of_5_degree_cells_equals_their_average(self):
        """5-degree inputs in the program's cells are copied; the copy gives
        exactly what the general area-weighted average gives."""
        rng = np.random.default_rng(31)
        values = anomalies(rng, 6, 36, 72)
        values[0, 5, 5] = -0.0
        for latitudes, longitudes in ((p.LATITUDES["5"], p.LONGITUDES["5"]),
                                      (p.LATITUDES["5-north"], p.LONGITUDES["5-east"])):
            mapping = regrid.CellMapping(latitudes, longitudes)
            self.assertTrue(mapping.rows.one_to_one and mapping.columns.one_to_one)
            copied, averaged = mapping.copied(values), mapping.averaged(values)
            np.testing.assert_array_equal(copied, averaged)
            self.assertEqual(np.signbit(copied).tolist(), np.signbit(averaged).tolist())
        self.assertFalse(regrid.CellMapping(p.LATITUDES["1"], p.LONGITUDES["1"]).rows.one_to_one)

    def test_average_does_not_depend_on_the_order_of_the_input(self):
        """A 2-degree grid north first with longitudes from 0 averages to the
        cells of the same grid south first from 180W."""
        rng = np.random.default_rng(37)
        values = anomalies(rng, 3, 90, 180, missing_share=0.5)
        south_first = regrid.CellMapping(p.LATITUDES["2"], p.LONGITUDES["2"]).apply(values)
        from_greenwich = np.roll(values[:, ::-1, :], -90, axis=2)  # column 0 is 1E now
        north_first = regrid.CellMapping(p.LATITUDES["2"][::-1], np.mod(p.LONGITUDES["2"], 360)[np.r_[90:180, 0:90]])
        np.testing.assert_allclose(north_first.apply(from_greenwich), south_first, rtol=1e-12, atol=0)

        # Latitudes from pole to pole: the cells on the poles are half cells.
        poles = regrid.CellMapping(np.linspace(-90, 90, 181), p.LONGITUDES["1"])
        np.testing.assert_allclose(poles.apply(np.full((1, 181, 360), 0.25)), 0.25, rtol=1e-14)


class TimeAxisTest(unittest.TestCase):
    def test_months_agree_with_cftime(self):
        rng = np.random.default_rng(19)
        calendars = ("standard", "gregorian", "proleptic_gregorian", "julian", "noleap", "365_day",
                     "all_leap", "366_day", "360_day")
        references = ("1850-01-01 00:00:00", "1800-1-1", "1500-03-01 06:00", "1961-01-01T00:00:00")
        for calendar in calendars:
            for reference in references:
                for unit, span in (("days", 80000.0), ("hours", 80000.0 * 24), ("seconds", 80000.0 * 86400)):
                    units = f"{unit} since {reference}"
                    values = rng.uniform(-span / 4, span, 300)
                    dates = cftime.num2date(values, units, calendar)
                    expected = [d.year * 12 + d.month - 1 for d in dates]
                    with self.subTest(units=units, calendar=calendar):
                        self.assertEqual(expected, timeaxis.month_numbers(values, units, calendar).tolist())

    def test_other_time_encodings(self):
        m = timeaxis.month_numbers
        self.assertEqual([1850 * 12, 1850 * 12 + 11, 2024 * 12 + 5],
                         m([1850 + 0.5 / 12, 1850 + 11.5 / 12, 2024 + 5.5 / 12], "year A.D.", None).tolist())
        self.assertEqual([1961 * 12, 1961 * 12 + 13], m([0, 13], "months since 1961-01-01", None).tolist())
        # 23:00 at UTC-2 is the next day in UTC.
        self.assertEqual([1850 * 12 + 1], m([30.0], "days since 1850-01-01 23:00:00 -2:00", "standard").tolist())
        self.assertEqual([1850 * 12 + 1], m([31.0 - 1e-9], "days since 1850-01-01", "standard").tolist())

    def test_placed_by_date(self):
        """A time axis out of order gives the same file as the ordered one."""
        rng = np.random.default_rng(23)
        months = [p.month_number(1850, 1) + i for i in range(8)]
        values = anomalies(rng, 8, 36, 72)
        order = [3, 0, 7, 1, 2, 6, 5, 4]
        files = []
        for name, m, v in (("ordered", months, values), ("shuffled", [months[i] for i in order], values[order])):
            folder = fresh_folder("order", name)
            p.hadcrut5(os.path.join(folder, "in.nc"), m, v)
            code, _, err = run_importer(os.path.join(folder, "in.nc"), "--as", "hadcrut4", "--out", folder)
            self.assertEqual(0, code, err)
            files.append(read_bytes(os.path.join(folder, "data", "cru", "hadcrut4.dat")))
        self.assertEqual(files[0], files[1])


class BadInputTest(unittest.TestCase):
    """A bad input or target: one line on stderr, exit code 1, and the output
    folder exactly as it was (an old data set kept, no file left behind)."""

    def setUp(self):
        self.rng = np.random.default_rng(29)
        self.inputs = fresh_folder("bad")

    def tree(self, folder):
        found = {}
        for root, dirs, files in os.walk(folder):
            for d in dirs:
                found[os.path.relpath(os.path.join(root, d), folder)] = None
            for f in files:
                found[os.path.relpath(os.path.join(root, f), folder)] = read_bytes(os.path.join(root, f))
        return found

    def expect_failure(self, source, message, arguments=("--as", "hadcrut4"), prepare=None):
        out = fresh_folder("bad", "out")
        os.makedirs(os.path.join(out, "data", "cru"))
        with open(os.path.join(out, "data", "cru", "hadcrut4.dat"), "wb") as old:
            old.write(b"the data set that was there before")
        if prepare:
            prepare(out)
        before = self.tree(out)
        code, report, err = run_importer(source, *arguments, "--out", out)
        self.assertEqual(1, code, report + err)
        self.assertEqual("", report)
        self.assertEqual(1, len(err.splitlines()), err)
        self.assertTrue(err.startswith("import-grid: error: "), err)
        self.assertIn(message, err)
        self.assertEqual(before, self.tree(out))

    def grid_file(self, name, latitudes, longitudes, time_units="days since 1850-01-01", times=(15.5, 45.0),
                  values=None):
        path = os.path.join(self.inputs, name)
        with netCDF4.Dataset(path, "w") as nc:
            nc.createDimension("time", len(times))
            nc.createDimension("latitude", len(latitudes))
            nc.createDimension("longitude", len(longitudes))
            t = nc.createVariable("time", "f8", ("time",))
            if time_units is not None:
                t.units = time_units
            t[:] = times
            nc.createVariable("latitude", "f8", ("latitude",))[:] = latitudes
            nc.variables["latitude"].units = "degrees_north"
            nc.createVariable("longitude", "f8", ("longitude",))[:] = longitudes
            nc.variables["longitude"].units = "degrees_east"
            v = nc.createVariable("tas", "f4", ("time", "latitude", "longitude"))
            v[:] = self.rng.normal(0, 1, (len(times), len(latitudes), len(longitudes))) if values is None else values
        return path

    def test_bad_inputs(self):
        text = os.path.join(self.inputs, "notes.nc")
        with open(text, "w") as f:
            f.write("this is not netCDF\n")
        lat5, lon5 = p.LATITUDES["5"], p.LONGITUDES["5"]
        hadcrut5 = os.path.join(self.inputs, "hadcrut5.nc")
        p.hadcrut5(hadcrut5, [p.month_number(1850, 1) + i for i in range(3)], anomalies(self.rng, 3, 36, 72))
        damaged = os.path.join(self.inputs, "damaged.nc")
        with open(damaged, "wb") as f:
            f.write(read_bytes(hadcrut5, os.path.getsize(hadcrut5) // 2))
        berkeley = os.path.join(self.inputs, "berkeley.nc")
        p.berkeley(berkeley, [p.month_number(1850, 1)], np.zeros((1, 180, 360)))
        uneven = np.array(lat5)
        uneven[10] += 1.0
        depths = [0, 10, 20, 30, 50, 75, 100, 125, 150, 200, 250, 300, 400, 500, 600, 700, 800, 900, 1000, 1100]

        def made(name, write):
            write(os.path.join(self.inputs, name))
            return os.path.join(self.inputs, name)

        def winds(path):
            p.any_layout(path, {"time": None, "lat": 36, "lon": 72},
                         [axis("time", [15.5], units="days since 1850-01-01"),
                          axis("lat", lat5, units="degrees_north"), axis("lon", lon5, units="degrees_east")],
                         [("U", ("time", "lat", "lon"), np.zeros((1, 36, 72)),
                           {"units": "m/s", "long_name": "ZONAL WIND"}),
                          ("V", ("time", "lat", "lon"), np.zeros((1, 36, 72)), {})])
        cases = [
            ("not netCDF", text, "cannot be read as netCDF", {}),
            ("damaged netCDF", damaged, "cannot be read as netCDF", {}),
            ("no file", os.path.join(self.inputs, "missing.nc"), "no such file", {}),
            ("no such variable", hadcrut5, "there is no variable 'tas_median'; candidates: tas_mean",
             {"arguments": ("--as", "hadcrut4", "--variable", "tas_median")}),
            ("variable without a grid", hadcrut5, "has no latitude and longitude",
             {"arguments": ("--as", "hadcrut4", "--variable", "latitude_bnds")}),
            ("variable without time", berkeley, "'land_mask' (latitude, longitude) has no time axis",
             {"arguments": ("--as", "hadcrut4", "--variable", "land_mask")}),
            ("irregular latitudes", self.grid_file("uneven.nc", uneven, lon5), "latitude axis is not regular", {}),
            ("7.5 degrees", self.grid_file("coarse.nc", p.centres(-86.25, 7.5, 24), lon5),
             "neither finer than 5 degrees nor a whole multiple of 5 degrees", {}),
            ("10 degrees off the lines", self.grid_file("shifted.nc", lat5, p.centres(-177.5, 10, 36)),
             "do not line up with the 5-degree cells", {}),
            ("time without units", self.grid_file("nounits.nc", lat5, lon5, time_units=None),
             "the time axis 'time' has no units", {}),
            ("unknown time units", self.grid_file("fortnights.nc", lat5, lon5, time_units="fortnights since 1850-1-1"),
             "unknown unit 'fortnights'", {}),
            ("duplicated month", self.grid_file("twice.nc", lat5, lon5, times=(15.5, 20.0, 45.0)),
             "time steps 1 and 2 both fall in 1850-01", {}),
            ("only before 1850", self.grid_file("early.nc", lat5, lon5, times=(-40.0, -10.0)),
             "all 2 time steps lie before January 1850", {}),
            ("no valid value", self.grid_file("kelvin.nc", lat5, lon5, values=np.full((2, 36, 72), 285.0)),
             "no value of 'tas' lies strictly inside -99..99", {}),
            ("not a climatology", hadcrut5, "a climatology has 12 months; 'tas_mean' has 3 time steps",
             {"arguments": ("--as", "abstem3")}),
            ("12 depths, no --level", made("depth12.nc", lambda f: ocean_atlas(f, self.rng, depths[:12], 5.0)),
             "'TEMP' has 12 levels on the axis 'DEPTH' (METERS, positive down): 0, 10, 20, 30, 50, 75, 100, 125, "
             "...; choose one with --level VALUE (for example --level 0)", {"arguments": ("--as", "abstem3")}),
            ("20 depths, no --level", made("depth20.nc", lambda f: ocean_atlas(f, self.rng, depths, 5.0)),
             "'TEMP' has 20 levels on the axis 'DEPTH' (METERS, positive down): 0, 10, 20, 30, 50, 75, 100, 125, "
             "...; choose one with", {"arguments": ("--as", "abstem3")}),
            ("no such depth", os.path.join(self.inputs, "depth20.nc"), "the level axis 'DEPTH' (METERS, positive "
             "down) has no level 15; its levels: 0, 10, 20, 30, 50, 75, 100, 125, 150, 200, 250, 300, 400, 500, "
             "600, 700, 800, 900, 1000, 1100", {"arguments": ("--as", "abstem3", "--level", "15")}),
            ("pressure, no --level", made("pressure.nc", lambda f: pressure_levels(f, self.rng)),
             "'air' has 5 levels on the axis 'isobaric' (hPa): 1000, 925, 850, 700, 500; choose one with --level "
             "VALUE (for example --level 1000)", {"arguments": ("--as", "abstem3")}),
            ("12 depths, no time", made("depths.nc", lambda f: depth_only(f, self.rng, depths[:12])),
             "'TEMP' (DEPTH, LAT, LON) has no time axis (a coordinate with units '<unit> since <date>', axis T or "
             "standard_name time); 'DEPTH' (METERS, positive down) is a vertical axis, not months",
             {"arguments": ("--as", "abstem3")}),
            ("20 depths, no time", made("depths20.nc", lambda f: depth_only(f, self.rng, depths)),
             "'TEMP' (DEPTH, LAT, LON) has no time axis", {"arguments": ("--as", "hadcrut4", "--level", "0")}),
            ("--level without levels", hadcrut5, "--level 850 was given, but 'tas_mean' (time, latitude, longitude) "
             "has no level axis; leave --level out", {"arguments": ("--as", "hadcrut4", "--level", "850")}),
            ("several temperatures", made("sea-and-air.nc", lambda f: sea_and_air(f, self.rng)),
             "found 2 temperature variables: 'SST' (\"SEA SURFACE TEMPERATURE\", K), 'AIRT' (\"AIR TEMPERATURE\", "
             "DEG C); choose one with --variable NAME", {"arguments": ("--as", "abstem3")}),
            ("no temperature", made("winds.nc", winds), "found no temperature variable (units K or degC, or a "
             "standard_name with 'temperature'); choose one with --variable NAME; candidates: 'U' (\"ZONAL WIND\", "
             "m/s), 'V' (no units)", {}),
            ("target folder not writable", hadcrut5, "cannot create the folder",
             {"prepare": lambda out: (shutil.rmtree(os.path.join(out, "data")),
                                      open(os.path.join(out, "data"), "w").close())}),
            ("target is a folder", hadcrut5, "cannot write",
             {"prepare": lambda out: (os.remove(os.path.join(out, "data", "cru", "hadcrut4.dat")),
                                      os.makedirs(os.path.join(out, "data", "cru", "hadcrut4.dat", "x")))}),
        ]
        for name, source, message, options in cases:
            with self.subTest(name):
                self.expect_failure(source, message, **options)

        # A failure after data/cru was made for it removes the folders again.
        empty = fresh_folder("bad", "empty")
        code, _, err = run_importer(os.path.join(self.inputs, "kelvin.nc"), "--as", "hadcrut4", "--out", empty)
        self.assertEqual(1, code, err)
        self.assertEqual([], os.listdir(empty))

        code, _, err = run_importer(hadcrut5, "--as", "hadcrut4", "--out", os.path.join(self.inputs, "nowhere"))
        self.assertEqual((1, f"import-grid: error: the output folder {os.path.join(self.inputs, 'nowhere')} "
                             "does not exist\n"), (code, err))
        self.assertFalse(os.path.exists(os.path.join(self.inputs, "nowhere")))


if __name__ == "__main__":
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    unittest.main()
