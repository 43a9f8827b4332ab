"""import_grid.exe against damaged and hostile netCDF files: each is refused
with one line that names the real problem, quickly, and the data set that
was there before stays byte for byte. The files are made here; the ones that
claim terabytes are cut or hand-written, never written out in full.

    IMPORT_GRID_EXE=build/run/import_grid.exe /usr/bin/python3 -B tests/importer/test_hostile_inputs.py
"""

import os
import shutil
import struct
import sys
import tempfile
import time
import unittest

import h5py
import netCDF4
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from importers import native_command, run, tree  # noqa: E402

WORK = os.environ.get("IMPORT_GRID_TEST_DIR") or tempfile.mkdtemp(prefix="import-grid-hostile-")
# Seconds one refusal may take, Wine's start included.
TIME_BOUND = 60
LATITUDES = np.arange(-87.5, 90, 5.0)
LONGITUDES = np.arange(-177.5, 180, 5.0)
MONTHS = np.arange(24) * 30.436875 + 15.0


def grid(path, fmt="NETCDF4", record=False, steps=24, times=MONTHS, group=None, chunks=None, written=24,
         latitudes=LATITUDES, longitudes=LONGITUDES, **variable):
    """A temperature grid; `variable` holds the data variable's attributes
    and netCDF4 options (compression ...)."""
    options = {k: variable.pop(k) for k in ("compression", "szip_coding", "szip_pixels_per_block") if k in variable}
    dtype = variable.pop("dtype", "f4")
    with netCDF4.Dataset(path, "w", format=fmt) as nc:
        where = nc.createGroup(group) if group else nc
        where.createDimension("time", None if record else steps)
        where.createDimension("lat", len(latitudes))
        where.createDimension("lon", len(longitudes))
        time_chunks = {"chunksizes": (chunks[0],)} if chunks else {}
        t = where.createVariable("time", "f8", ("time",), **time_chunks)
        t.units = "days since 1850-01-01"
        for name, values, units in (("lat", latitudes, "degrees_north"), ("lon", longitudes, "degrees_east")):
            where.createVariable(name, "f8", (name,))[:] = values
            where[name].units = units
        v = where.createVariable("tas", dtype, ("time", "lat", "lon"), chunksizes=chunks, **options)
        v.setncatts({"units": "degC", **variable})
        t[:len(times)] = times
        if written:
            v.set_auto_maskandscale(False)
            v[:written] = np.ones((written, len(latitudes), len(longitudes)), dtype)
    return path


def cut(path, share):
    size = os.path.getsize(path)
    with open(path, "r+b") as f:
        f.truncate(int(size * share))
    return path


def claimed_records(path, records):
    """A classic file whose header claims `records` records."""
    with open(path, "r+b") as f:
        f.seek(4)
        f.write(struct.pack(">I", records))
    return path


def classic_header(path, latitudes, longitudes):
    """A 64-bit-offset file that declares a grid of latitudes x longitudes
    but holds only its coordinates, written byte by byte."""
    def name(text):
        data = text.encode()
        return struct.pack(">I", len(data)) + data + b"\0" * (-len(data) % 4)

    def units(text):
        data = text.encode()
        return struct.pack(">II", 12, 1) + name("units") + struct.pack(">II", 2, len(data)) + data + \
            b"\0" * (-len(data) % 4)

    dims = [("time", 1), ("lat", latitudes), ("lon", longitudes)]
    variables = [("time", [0], "days since 1850-01-01", 6, 8), ("lat", [1], "degrees_north", 6, 8 * latitudes),
                 ("lon", [2], "degrees_east", 6, 8 * longitudes), ("tas", [0, 1, 2], "K", 5, 4 * latitudes * longitudes)]

    def header(begins):
        out = b"CDF\x02" + struct.pack(">I", 0) + struct.pack(">II", 10, len(dims))
        out += b"".join(name(n) + struct.pack(">I", size) for n, size in dims) + struct.pack(">II", 0, 0)
        out += struct.pack(">II", 11, len(variables))
        for (n, ids, unit, kind, size), begin in zip(variables, begins):
            out += name(n) + struct.pack(">I", len(ids)) + b"".join(struct.pack(">I", i) for i in ids)
            out += units(unit) + struct.pack(">II", kind, min(size, 2**32 - 1)) + struct.pack(">Q", begin)
        return out

    start = len(header([0] * 4))
    begins = np.cumsum([start] + [size for *_, size in variables[:-1]]).tolist()
    with open(path, "wb") as f:
        f.write(header(begins) + struct.pack(">d", 15.5))
        f.write(np.linspace(-90, 90, latitudes).astype(">f8").tobytes())
        f.write(np.linspace(0, 360, longitudes, endpoint=False).astype(">f8").tobytes())
    return path


class HostileInputTest(unittest.TestCase):
    def test_refused_in_one_line_in_bounded_time(self):
        exe = os.environ["IMPORT_GRID_EXE"]
        inputs = os.path.join(WORK, "inputs")
        os.makedirs(inputs)

        def at(name):
            return os.path.join(inputs, name)

        fixed = grid(at("fixed.nc"), fmt="NETCDF3_CLASSIC")
        full_fixed = os.path.getsize(fixed)
        records = grid(at("records.nc"), fmt="NETCDF3_CLASSIC", record=True)
        full_records = os.path.getsize(records)
        claimed = claimed_records(grid(at("claimed.nc"), fmt="NETCDF3_CLASSIC", record=True), 2**31 - 1)
        os.makedirs(at("folder.nc"))
        cases = [
            ("classic, fixed time, cut at 75 %", cut(fixed, 0.75),
             f"the file is incomplete: {full_fixed * 3 // 4} of {full_fixed} bytes"),
            ("classic, record time, cut at half", cut(records, 0.5),
             f"the file is incomplete: {full_records // 2} of {full_records} bytes"),
            ("classic, 2^31-1 records claimed, 24 there", claimed,
             f"the file is incomplete: {os.path.getsize(claimed)} of "),
            ("netCDF-4, 2^31-1 steps claimed, 24 there",
             grid(at("steps.nc"), steps=2**31 - 1, chunks=(24, 36, 72)),
             "the time axis 'time' has 2147483647 steps, but the file stores values for at most 24 of them"),
            ("classic, 10^6 x 10^6 grid", classic_header(at("huge.nc"), 10**6, 10**6), "the file is incomplete: "),
            ("a time of 10^9 days", grid(at("late.nc"), times=np.append(MONTHS[:23], 1e9)),
             "time step 24 (1000000000.0 days since 1850-01-01) falls after December 9999, the last month this "
             "program holds"),
            ("24 000 months at 0.05 degrees, nothing written",
             grid(at("empty.nc"), steps=24000, times=np.arange(24000) * 30.436875 + 15, chunks=(1, 360, 720),
                  written=0, latitudes=np.arange(-89.975, 90, 0.05), longitudes=np.arange(-179.975, 180, 0.05)),
             "'tas' holds no values: the file stores none of them"),
            ("a variable in a group", grid(at("group.nc"), group="grid"),
             "'/grid/tas' lies in a group; this program reads only the variables at the top level of a file"),
            ("SZIP", grid(at("szip.nc"), compression="szip", szip_coding="nn", szip_pixels_per_block=8),
             "cannot read 'tas': it is compressed with SZIP, which this program cannot read"),
            ("scale_factor 0", grid(at("scale.nc"), dtype="i2", scale_factor=np.float32(0)),
             "cannot read 'tas': its scale_factor is 0, which would make every value 0"),
            ("reversed valid_range", grid(at("range.nc"), valid_range=np.array([5, -5], "f4")),
             "cannot read 'tas': its valid_range [5.0 -5.0] is reversed"),
            ("a folder", at("folder.nc"), "folder.nc is a folder, not a netCDF file"),
        ]
        with netCDF4.Dataset(at("scalar.nc"), "w") as nc:
            nc.createVariable("tas", "f4", ())[...] = 1.5
        cases.append(("a variable without dimensions", at("scalar.nc"), "found no variable to import: 'tas' has no "
                      "dimensions"))
        # Plain HDF5, written without netCDF: no dimension scales at all.
        with h5py.File(at("plain_scalar.h5"), "w") as f:
            f["tas"] = np.float32(1.5)
        with h5py.File(at("plain_grid.h5"), "w") as f:
            f["tas"] = np.ones((24, 36, 72), "f4")
        cases += [("plain HDF5, a scalar", at("plain_scalar.h5"), "found no variable to import: 'tas' has no dimensions"),
                  ("plain HDF5, a grid without coordinates", at("plain_grid.h5"),
                   "found no variable to import: 'tas' (phony_dim_0, phony_dim_1, phony_dim_2) has no latitude and "
                   "longitude coordinates")]

        out = os.path.join(WORK, "out")
        os.makedirs(os.path.join(out, "data", "cru"))
        with open(os.path.join(out, "data", "cru", "hadcrut4.dat"), "wb") as old:
            old.write(b"the data set that was there before")
        before = tree(out)
        for name, source, message in cases:
            with self.subTest(name):
                started = time.monotonic()
                code, report, err = run(native_command([source, "--as", "hadcrut4", "--out", out], exe))
                self.assertLess(time.monotonic() - started, TIME_BOUND)
                self.assertEqual((1, ""), (code, report), err)
                self.assertEqual(1, len(err.splitlines()), err)
                self.assertTrue(err.startswith("import-grid: error: "), err)
                self.assertIn(message, err)
                self.assertEqual(before, tree(out))


if __name__ == "__main__":
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    unittest.main()
