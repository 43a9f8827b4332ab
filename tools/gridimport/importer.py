"""One import: find the temperature variable and its axes in a netCDF file,
place its time steps on the months from January 1850, average its cells
onto the 5-degree grid and write the grid file, reporting what it holds."""

import os
import sys

import numpy as np

from . import gridfile
from .errors import ImportFailure
from .gridfile import FIRST_YEAR, AtomicFile, format_blocks, latitude_weights
from .netcdf import Dataset
from .regrid import CellMapping
from .timeaxis import month_numbers

# Looked for in this order when no --variable is given: HadCRUT5, HadCRUT4,
# CRUTEM5, HadSST, NOAAGlobalTemp, Berkeley Earth, GISTEMP; for a
# climatology CRU's absolute.nc and Berkeley Earth's climatology.
ANOMALY_VARIABLES = ("tas_mean", "temperature_anomaly", "tas", "tos", "anom", "temperature", "tempanomaly")
CLIMATOLOGY_VARIABLES = ("tem", "climatology")

LATITUDE_UNITS = {"degrees_north", "degree_north", "degrees_n", "degree_n", "degreesn", "degreen"}
LONGITUDE_UNITS = {"degrees_east", "degree_east", "degrees_e", "degree_e", "degreese", "degreee"}
KELVIN_UNITS = {"k", "kelvin", "degk", "deg_k", "degree_k", "degrees_k"}
ZERO_CELSIUS = 273.15

# Input values handled at once: bounds the memory a 1-degree input needs;
# and at most ten years at once, so that progress moves.
CHUNK_VALUES = 4_000_000
CHUNK_MONTHS = 120
# Inputs with more months than this show their progress on a terminal.
LONG_INPUT = 240


def month_text(block):
    year, month = divmod(block - 1, 12)
    return f"{FIRST_YEAR + year:04d}-{month + 1:02d}"


class Source:
    """The chosen variable of an open file, its axes, and the block (month
    from January 1850, 1-based) of each of its time steps."""

    def __init__(self, dataset, name, climatology):
        self.dataset = dataset
        self.variable = self.choose(dataset, name, climatology)
        self.find_axes()
        latitudes = self.coordinate(self.latitude).read()
        longitudes = self.coordinate(self.longitude).read()
        self.mapping = CellMapping(latitudes, longitudes)
        self.steps = self.variable.shape[self.variable.dimensions.index(self.time)]
        if self.steps == 0:
            raise ImportFailure(f"'{self.variable.name}' has no time steps")
        self.blocks = self.climatology_blocks() if climatology else self.anomaly_blocks()
        units = self.variable.text("units").lower()
        self.offset = -ZERO_CELSIUS if climatology and units in KELVIN_UNITS else 0.0

    @staticmethod
    def choose(dataset, name, climatology):
        candidates = [v.name for v in dataset.variables.values() if is_gridded(dataset, v)]
        if name is not None:
            if name not in dataset.variables:
                raise ImportFailure(f"there is no variable '{name}'; candidates: {', '.join(candidates) or 'none'}")
            return dataset.variables[name]
        for known in CLIMATOLOGY_VARIABLES if climatology else ANOMALY_VARIABLES:
            if known in candidates:
                return dataset.variables[known]
        if len(candidates) == 1:
            return dataset.variables[candidates[0]]
        raise ImportFailure("found no temperature variable; choose one with --variable; candidates: "
                            + (", ".join(candidates) or "none"))

    def coordinate(self, dimension):
        return coordinate(self.dataset, dimension)

    def find_axes(self):
        v = self.variable
        dims = v.dimensions
        self.latitude = next((d for d in dims if is_latitude(self.dataset, d)), None)
        self.longitude = next((d for d in dims if is_longitude(self.dataset, d)), None)
        if self.latitude is None or self.longitude is None:
            raise ImportFailure(f"'{v.name}' {describe(v)} has no latitude and longitude coordinates")
        rest = [d for d in dims if d not in (self.latitude, self.longitude)]
        size = dict(zip(dims, v.shape))
        timelike = [d for d in rest if is_time(self.dataset, d)]
        longer = [d for d in rest if size[d] > 1]
        if len(timelike) == 1:
            self.time = timelike[0]
        elif len(longer) == 1:
            self.time = longer[0]
        else:
            raise ImportFailure(f"'{v.name}' {describe(v)} has no single time dimension")
        extra = [d for d in rest if d != self.time and size[d] > 1]
        if extra:
            raise ImportFailure(f"'{v.name}' {describe(v)} has the dimension '{extra[0]}' of length "
                                f"{size[extra[0]]} besides time, latitude and longitude")

    def anomaly_blocks(self):
        axis = self.coordinate(self.time)
        if axis is None:
            raise ImportFailure(f"the time dimension '{self.time}' has no coordinate variable")
        units = axis.text("units")
        if not units:
            raise ImportFailure(f"the time axis '{self.time}' has no units")
        months = month_numbers(axis.read(), units, axis.text("calendar"))
        blocks = months - FIRST_YEAR * 12 + 1
        order = np.argsort(blocks, kind="stable")
        same = np.flatnonzero(blocks[order][1:] == blocks[order][:-1])
        if same.size:
            first, second = sorted(order[same[0]:same[0] + 2])
            raise ImportFailure(f"time steps {first + 1} and {second + 1} both fall in "
                                f"{month_text(blocks[first])}")
        return blocks

    def climatology_blocks(self):
        """January to December: by the dates of the time axis where it has
        them, else in the order of the axis."""
        if self.steps != 12:
            raise ImportFailure(f"a climatology has 12 months; '{self.variable.name}' has {self.steps} time steps")
        axis = self.coordinate(self.time)
        units = axis.text("units") if axis is not None else ""
        if " since " not in f" {units.lower()} ":
            return np.arange(1, 13)
        blocks = month_numbers(axis.read(), units, axis.text("calendar")) % 12 + 1
        if np.unique(blocks).size != 12:
            raise ImportFailure("the 12 time steps of the climatology do not fall in 12 different months")
        return blocks

    def read(self, steps):
        """(len(steps), latitudes, longitudes) values of the time steps."""
        v = self.variable
        parts = []
        for start, stop in consecutive_runs(steps):
            index = tuple(slice(start, stop) if d == self.time else
                          slice(None) if d in (self.latitude, self.longitude) else 0
                          for d in v.dimensions)
            parts.append(v.read(index))
        kept = [d for d in v.dimensions if d in (self.time, self.latitude, self.longitude)]
        data = np.concatenate(parts, axis=kept.index(self.time))
        data = np.transpose(data, [kept.index(d) for d in (self.time, self.latitude, self.longitude)])
        return data + self.offset if self.offset else data


class Summary:
    """What the written file holds, for the report."""

    def __init__(self, blocks):
        self.blocks = blocks
        self.has_data = np.zeros(blocks, dtype=bool)
        self.coverage = np.zeros(blocks)
        self.weights = latitude_weights()

    def add(self, first_block, valid):
        """valid: (months, 36, 72) cells with data of the blocks from first_block on."""
        end = first_block - 1 + valid.shape[0]
        self.has_data[first_block - 1:end] = valid.any(axis=(1, 2))
        self.coverage[first_block - 1:end] = 100.0 * (valid * self.weights[None, :, None]).sum(axis=(1, 2))


def run(input_path, target, variable, out_dir, echo=print):
    layout = gridfile.TARGETS[target]
    climatology = target == "abstem3"
    with Dataset(input_path) as dataset:
        source = Source(dataset, variable, climatology)
        early = source.blocks < 1
        steps = np.flatnonzero(~early)
        if steps.size == 0:
            raise ImportFailure(f"all {source.steps} time steps lie before January {FIRST_YEAR}")
        if not os.path.isdir(out_dir):
            raise ImportFailure(f"the output folder {out_dir} does not exist")
        folder = os.path.join(out_dir, "data", "cru")
        created = create_folders(folder)
        path = os.path.join(folder, layout.file_name)
        try:
            summary = write(source, steps, layout, path, os.path.basename(input_path))
        except BaseException:  # a failed or interrupted import leaves no trace
            remove_folders(created)
            raise
    report(echo, source, layout, path, summary, early, climatology)


def create_folders(folder):
    """Creates the folder and those above it that are missing; returns
    those it created, top first."""
    missing = []
    while not os.path.isdir(folder):
        missing.insert(0, folder)
        folder = os.path.dirname(folder)
    made = []
    try:
        for path in missing:
            os.mkdir(path)
            made.append(path)
    except OSError as error:
        remove_folders(made)
        raise ImportFailure(f"cannot create the folder {path}: {error.strerror or error}") from None
    return made


def remove_folders(folders):
    for path in reversed(folders):
        os.rmdir(path)


def write(source, steps, layout, path, input_name):
    blocks = source.blocks[steps]
    total = int(blocks.max())
    size = dict(zip(source.variable.dimensions, source.variable.shape))
    chunk = max(1, min(CHUNK_MONTHS, CHUNK_VALUES // (size[source.latitude] * size[source.longitude])))
    summary = Summary(total)
    progress = Progress(steps.size)
    with AtomicFile(path) as out:
        try:
            for first in range(1, total + 1, chunk):
                last = min(total, first + chunk - 1)
                cells = np.full((last - first + 1, gridfile.ROWS, gridfile.COLUMNS), np.nan)
                inside = (blocks >= first) & (blocks <= last)
                if inside.any():
                    order = np.argsort(steps[inside])
                    chosen = steps[inside][order]
                    cells[blocks[inside][order] - first] = source.mapping.apply(source.read(chosen))
                    progress.advance(chosen.size)
                headers = [header_text(layout, block, source.variable.name, input_name)
                           for block in range(first, last + 1)]
                data, valid = format_blocks(layout, headers, cells)
                summary.add(first, valid)
                out.write(data)
        finally:
            progress.done()
        if not summary.has_data.any():
            raise ImportFailure(f"no value of '{source.variable.name}' lies strictly inside -99..99 degrees; "
                                "nothing written")
        out.commit()
    return summary


def header_text(layout, block, variable, input_name):
    if layout.name == "abstem3":
        return f"month {block:02d}"
    return f"{month_text(block).replace('-', '')} {variable} {input_name}"


def report(echo, source, layout, path, summary, early, climatology):
    has = np.flatnonzero(summary.has_data) + 1
    first, last = int(has[0]), int(has[-1])
    lat, lon = source.mapping.latitude_step, source.mapping.longitude_step
    grid = f"{lat:g} x {lon:g} degrees" + ("" if (lat, lon) == (5.0, 5.0) else ", averaged onto 5 x 5")
    echo(f"{path}: '{source.variable.name}' ({grid}), read with {source.dataset.backend}")
    if climatology:
        echo(f"  months written:   12 (climatology, block 1 = January), {layout.block_size} bytes each")
        echo(f"  mean coverage:    {summary.coverage.mean():.1f} % of the earth's surface")
        return
    echo(f"  months written:   {summary.blocks} ({month_text(1)} to {month_text(summary.blocks)}), "
         f"{layout.block_size} bytes each")
    echo(f"  data:             {month_text(first)} to {month_text(last)} (first and last month with data)")
    start = max(first, last - 119)
    echo(f"  mean coverage:    {summary.coverage[start - 1:last].mean():.1f} % of the earth's surface "
         f"({month_text(start)} to {month_text(last)})")
    kept = source.blocks[~early]
    if kept.min() > 1:
        echo(f"  note: {month_text(1)} to {month_text(kept.min() - 1)} precede the input and have no data")
    gaps = (kept.max() - kept.min() + 1) - kept.size
    if gaps:
        echo(f"  note: {gaps} month(s) between {month_text(kept.min())} and {month_text(kept.max())} "
             "have no time step in the input and no data")
    if early.any():
        dropped = source.blocks[early]
        echo(f"  note: {early.sum()} month(s) before January {FIRST_YEAR} left out "
             f"({month_text(dropped.min())} to {month_text(dropped.max())})")


class Progress:
    """Months read so far, on one line of a terminal, for long inputs."""

    def __init__(self, total):
        self.total = total
        self.count = 0
        self.shown = total > LONG_INPUT and sys.stderr.isatty()

    def advance(self, count):
        self.count += count
        if self.shown:
            sys.stderr.write(f"\r  reading: {self.count} of {self.total} months ({100 * self.count // self.total} %)")
            sys.stderr.flush()

    def done(self):
        if self.shown:
            sys.stderr.write("\r" + " " * 60 + "\r")
            sys.stderr.flush()


def consecutive_runs(indices):
    """(start, stop) of each run of consecutive numbers in sorted indices."""
    breaks = np.flatnonzero(np.diff(indices) != 1) + 1
    for run in np.split(indices, breaks):
        yield int(run[0]), int(run[-1]) + 1


def coordinate(dataset, dimension):
    """The coordinate variable of a dimension, or None."""
    v = dataset.variables.get(dimension)
    return v if v is not None and v.dimensions == (dimension,) else None


def is_latitude(dataset, dimension):
    c = coordinate(dataset, dimension)
    return c is not None and (c.text("units").lower() in LATITUDE_UNITS or c.text("standard_name") == "latitude"
                              or dimension.lower() in ("lat", "latitude"))


def is_longitude(dataset, dimension):
    c = coordinate(dataset, dimension)
    return c is not None and (c.text("units").lower() in LONGITUDE_UNITS or c.text("standard_name") == "longitude"
                              or dimension.lower() in ("lon", "longitude"))


def is_time(dataset, dimension):
    c = coordinate(dataset, dimension)
    if dimension.lower() == "time":
        return True
    return c is not None and (c.text("standard_name") == "time" or c.text("axis").upper() == "T"
                              or " since " in f" {c.text('units').lower()} ")


def is_gridded(dataset, variable):
    dims = variable.dimensions
    return (len(dims) >= 3 and any(is_latitude(dataset, d) for d in dims)
            and any(is_longitude(dataset, d) for d in dims))


def describe(variable):
    return "(" + ", ".join(variable.dimensions) + ")"
