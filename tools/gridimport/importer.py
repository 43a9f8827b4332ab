"""One import: find the temperature variable and its axes in a netCDF file,
place its time steps on the months from January 1850, average its cells
onto the 5-degree grid and write the grid file, reporting what it holds."""

import os
import sys

import numpy as np

from . import gridfile
from .axes import LATITUDE, LEVEL, LONGITUDE, SINCE, TIME, axes_of, level_index, level_text
from .errors import ImportFailure
from .gridfile import FIRST_YEAR, AtomicFile, format_blocks, latitude_weights
from .netcdf import Dataset
from .regrid import CellMapping, repeats_first_longitude
from .timeaxis import month_numbers
from .variables import choose_variable, is_kelvin

ZERO_CELSIUS = 273.15

# Input values handled at once: bounds the memory a 1-degree input needs;
# and at most ten years at once, so that progress moves.
CHUNK_VALUES = 4_000_000
CHUNK_MONTHS = 120
# Inputs with more months than this show their progress on a terminal.
LONG_INPUT = 240
# Levels named when --level is missing.
FIRST_LEVELS_SHOWN = 8


def month_text(block):
    year, month = divmod(block - 1, 12)
    return f"{FIRST_YEAR + year:04d}-{month + 1:02d}"


class Source:
    """The chosen variable of an open file, its axes, the level taken, and
    the block (month from January 1850, 1-based) of each of its time steps."""

    def __init__(self, dataset, name, climatology, level):
        self.dataset = dataset
        self.variable, self.how_found = choose_variable(dataset, name, climatology)
        self.find_axes()
        self.level_index = self.choose_level(level)
        if self.level is not None:
            self.level_value = self.level.values()[self.level_index]
        longitudes = self.longitude.values()
        self.repeats_first_column = repeats_first_longitude(longitudes)
        if self.repeats_first_column:
            self.repeated = (longitudes[0], longitudes[-1])
            longitudes = longitudes[:-1]
        self.differing_values = 0
        self.mapping = CellMapping(self.latitude.values(), longitudes)
        self.steps = self.time.size
        if self.steps == 0:
            raise ImportFailure(f"'{self.variable.name}' has no time steps")
        self.blocks = self.climatology_blocks() if climatology else self.anomaly_blocks()
        self.offset = -ZERO_CELSIUS if climatology and is_kelvin(self.variable) else 0.0

    def find_axes(self):
        v = self.variable
        axes = axes_of(self.dataset, v)
        by_kind = {kind: [a for a in axes if a.kind == kind] for kind in (LATITUDE, LONGITUDE, TIME, LEVEL)}
        if not by_kind[LATITUDE] or not by_kind[LONGITUDE]:
            raise ImportFailure(f"'{v.name}' {describe(v)} has no latitude and longitude coordinates "
                                "(1-D variables with units degrees_north and degrees_east)")
        for kind in (LATITUDE, LONGITUDE, TIME):
            if len(by_kind[kind]) > 1:
                names = " and ".join(f"'{a.dimension}'" for a in by_kind[kind])
                raise ImportFailure(f"'{v.name}' {describe(v)} has two {kind} axes, {names}")
        if not by_kind[TIME]:
            levels = "".join(f"; {a.describe()} is a vertical axis, not months" for a in by_kind[LEVEL])
            raise ImportFailure(f"'{v.name}' {describe(v)} has no time axis (a coordinate with units "
                                f"'<unit> since <date>', axis T or standard_name time){levels}")
        unknown = [a for a in axes if a.kind is None and a.size > 1]
        if unknown:
            raise ImportFailure(f"'{v.name}' {describe(v)} has the dimension '{unknown[0].dimension}' of length "
                                f"{unknown[0].size}, which is neither time, a level, latitude nor longitude")
        chosen = [a for a in by_kind[LEVEL] if a.size > 1]
        if len(chosen) > 1:
            raise ImportFailure(f"'{v.name}' {describe(v)} has two level axes with more than one level, "
                                f"{chosen[0].describe()} and {chosen[1].describe()}")
        self.axes = axes
        self.latitude, self.longitude, self.time = (by_kind[k][0] for k in (LATITUDE, LONGITUDE, TIME))
        self.level = (chosen or by_kind[LEVEL] or [None])[0]

    def choose_level(self, wanted):
        """The index on the level axis: the level equal to wanted; without
        it the only level."""
        v, axis = self.variable, self.level
        if axis is None:
            if wanted is not None:
                raise ImportFailure(f"--level {level_text(wanted)} was given, but '{v.name}' {describe(v)} "
                                    "has no level axis; leave --level out")
            return None
        levels = ", ".join(level_text(value) for value in axis.values())
        if wanted is not None:
            index = level_index(axis, wanted)
            if index is None:
                raise ImportFailure(f"the level axis {axis.describe()} has no level {level_text(wanted)}; "
                                    f"its levels: {levels}")
            return index
        if axis.size == 1:
            return 0
        first = ", ".join(level_text(value) for value in axis.values()[:FIRST_LEVELS_SHOWN])
        more = ", ..." if axis.size > FIRST_LEVELS_SHOWN else ""
        raise ImportFailure(f"'{v.name}' has {axis.size} levels on the axis {axis.describe()}: {first}{more}; "
                            f"choose one with --level VALUE (for example --level {level_text(axis.values()[0])})")

    def anomaly_blocks(self):
        axis = self.time
        if axis.coordinate is None:
            raise ImportFailure(f"the time dimension '{axis.dimension}' has no coordinate variable")
        units = axis.units()
        if not units:
            raise ImportFailure(f"the time axis '{axis.dimension}' has no units")
        months = month_numbers(axis.values(), units, axis.coordinate.text("calendar"))
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
            raise ImportFailure(f"a climatology has 12 months; '{self.variable.name}' has {self.steps} time steps "
                                f"on the axis '{self.time.dimension}' (a series of months goes to hadcrut4, "
                                "hadcrut3, hadcrut3v or hadsst2)")
        units = self.time.units()
        if not SINCE.search(f" {units.lower()} "):
            return np.arange(1, 13)
        blocks = month_numbers(self.time.values(), units, self.time.coordinate.text("calendar")) % 12 + 1
        if np.unique(blocks).size != 12:
            raise ImportFailure("the 12 time steps of the climatology do not fall in 12 different months")
        return blocks

    def read(self, steps):
        """(len(steps), latitudes, longitudes) values of the time steps at
        the level taken, without a repeated last longitude."""
        parts = []
        for start, stop in consecutive_runs(steps):
            index = tuple(slice(start, stop) if a is self.time else
                          slice(None) if a in (self.latitude, self.longitude) else
                          self.level_index if a is self.level else 0
                          for a in self.axes)
            parts.append(self.variable.read(index))
        kept = [a for a in self.axes if a in (self.time, self.latitude, self.longitude)]
        data = np.concatenate(parts, axis=kept.index(self.time))
        data = np.transpose(data, [kept.index(a) for a in (self.time, self.latitude, self.longitude)])
        if self.repeats_first_column:
            first, last = data[:, :, 0], data[:, :, -1]
            self.differing_values += int(np.count_nonzero((first != last) & ~(np.isnan(first) & np.isnan(last))))
            data = data[:, :, :-1]
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


def run(input_path, target, variable, level, out_dir, echo=print):
    layout = gridfile.TARGETS[target]
    climatology = target == "abstem3"
    with Dataset(input_path) as dataset:
        source = Source(dataset, variable, climatology, level)
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
    chunk = max(1, min(CHUNK_MONTHS, CHUNK_VALUES // (source.latitude.size * source.longitude.size)))
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
    v = source.variable
    details = [f'"{v.text("long_name")}"'] if v.text("long_name") else []
    details.append(f"units {v.text('units') or 'none'}" + (", converted to degrees C" if source.offset else ""))
    echo(f"  variable:         '{v.name}' ({', '.join(details)}), {source.how_found}")
    if source.level is not None:
        echo(f"  level:            {level_text(source.level_value)} on the axis {source.level.describe()}, "
             f"level {source.level_index + 1} of {source.level.size}")
    if source.repeats_first_column:
        west, east = (level_text(x) for x in source.repeated)
        differing = (f"; {source.differing_values} of its values differ from the first column's, "
                     "the first column's were used") if source.differing_values else ""
        echo(f"  note: the last longitude ({east}) repeats the first ({west}) and was left out{differing}")
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


def describe(variable):
    return "(" + ", ".join(variable.dimensions) + ")"
