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
IMPORTER = os.path.join(SOURCE, "tools", "import-grid")
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
    """Area-weighted means over the parts of fine input cells (south first,
    longitudes from 180W) inside each 5-degree cell, straightforwardly."""
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
                overlap = min(lon + step / 2, east) - max(lon - step / 2, west)
                if overlap > 0:
                    parts.extend((i, j, a * overlap) for i, a in rows)
            for t in range(months):
                total = weight = 0.0
                for i, j, w in parts:
                    if not math.isnan(values[t, i, j]):
                        total += w * values[t, i, j]
                        weight += w
                if weight > 0:
                    cells[t, r, c] = total / weight
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


class ImportedProductsTest(unittest.TestCase):
    """Each data set's layout through the importer: the whole file byte for
    byte, the values as the program reads them, and the report."""

    expectations = Expectations()

    @classmethod
    def tearDownClass(cls):
        cls.expectations.save()

    def imported(self, name, target, writer, months, values, arguments=()):
        folder = fresh_folder("products", name)
        source = os.path.join(folder, name + ".nc")
        writer(source, months, values)
        code, out, err = run_importer(source, "--as", target, "--out", folder, *arguments)
        self.assertEqual(0, code, err)
        self.assertEqual("", err)
        return folder, os.path.join(folder, "data", "cru", target + ".dat"), out

    def check_file(self, path, target, variable, input_name, expected):
        headers = [header(k, variable, input_name) for k in range(1, len(expected) + 1)]
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

    def test_same_file_through_xarray(self):
        """Without netCDF4 the importer reads through xarray and writes the same bytes."""
        rng = np.random.default_rng(17)
        cases = (
            ("hadcrut5", "hadcrut4", p.hadcrut5, [p.month_number(1850, 1) + i for i in range(5)], (36, 72)),
            ("noaaglobaltemp", "hadsst2", p.noaaglobaltemp, [p.month_number(1850, 3) + i for i in range(5)], (36, 72)),
            ("gistemp", "hadcrut3", p.gistemp, [p.month_number(1850, 2) + 2 * i for i in range(4)], (90, 180)),
            ("berkeley", "hadcrut4", p.berkeley, [p.month_number(1849, 11) + i for i in range(4)], (180, 360)),
        )
        for name, target, writer, months, shape in cases:
            with self.subTest(name):
                values = anomalies(rng, len(months), *shape)
                if name == "gistemp":
                    values = quantised(values, 0.01)
                folder = fresh_folder("xarray", name)
                source = os.path.join(folder, name + ".nc")
                writer(source, months, values)
                outputs = []
                for without in (False, True):
                    out = fresh_folder("xarray", name, "out")
                    code, report, err = run_importer(source, "--as", target, "--out", out, without_netcdf4=without)
                    self.assertEqual(0, code, err)
                    self.assertIn("read with xarray" if without else "read with netCDF4", report)
                    outputs.append(read_bytes(os.path.join(out, "data", "cru", target + ".dat")))
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
        cases = [
            ("not netCDF", text, "cannot be read as netCDF", {}),
            ("damaged netCDF", damaged, "cannot be read as netCDF", {}),
            ("no file", os.path.join(self.inputs, "missing.nc"), "no such file", {}),
            ("no such variable", hadcrut5, "there is no variable 'tas_median'; candidates: tas_mean",
             {"arguments": ("--as", "hadcrut4", "--variable", "tas_median")}),
            ("variable without a grid", hadcrut5, "has no latitude and longitude",
             {"arguments": ("--as", "hadcrut4", "--variable", "latitude_bnds")}),
            ("variable without time", berkeley, "'land_mask' (latitude, longitude) has no single time dimension",
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
