"""Placing a regular latitude-longitude grid onto the program's 5-degree
cells (rows north first, columns from 180W eastwards).

Each 5-degree cell takes the area-weighted mean of the input cells that
overlap it and have data, weighted by the area of the overlap; a cell that
no input cell with data overlaps has no data. A 5-degree input in the
program's own cells maps one to one and keeps its values exactly; finer
grids (1, 2, 2.5 degrees ...) are averaged; a grid of whole multiples of 5
degrees gives each 5-degree cell the value of the cell it lies in.

Halves survive averaging: a cell whose input cells with data all hold one
value takes that value itself, and any other mean m is rounded to nine
decimals, rint(m * 1e9) / 1e9: far below the precision of any temperature
data, far above the noise of the arithmetic (about 1e-12 or less). So the
mean of 7.375 and 7.5 is 7.4375 exactly, whatever the weights' rounding,
and is written as a cell of a 5-degree file holding 7.4375 would be.
"""

import numpy as np

from .errors import ImportFailure
from .gridfile import COLUMNS, ROWS

CELL = 5.0
# Coordinates are often 32-bit floats: steps agree to this share of a step.
STEP_TOLERANCE = 1e-3
# Overlaps below this share of a cell are rounding noise, not overlaps.
NOISE = 1e-9
# Means are rounded to this many decimals before they are written.
MEAN_DECIMALS = 9


def regular_step(values, axis):
    """The step of a strictly monotonic, evenly spaced coordinate."""
    if values.size < 2:
        raise ImportFailure(f"the {axis} axis has {values.size} value(s); a grid needs at least two")
    if not np.all(np.isfinite(values)):
        raise ImportFailure(f"the {axis} axis has missing values")
    step = (values[-1] - values[0]) / (values.size - 1)
    if step == 0 or np.any(np.abs(np.diff(values) - step) > STEP_TOLERANCE * abs(step)):
        raise ImportFailure(f"the {axis} axis is not regular (its values are not evenly spaced)")
    return abs(step)


def repeats_first_longitude(longitudes):
    """Whether the last longitude lies 360 degrees from the first (within a
    thousandth of the first step), as in files prepared for plotting: its
    column describes the same cells as the first."""
    return longitudes.size > 2 and bool(abs(abs(longitudes[-1] - longitudes[0]) - 360.0)
                                        <= STEP_TOLERANCE * abs(longitudes[1] - longitudes[0]))


def check_step(step, lower_edges, origin, axis):
    """Finer than 5 degrees, or whole 5-degree multiples on the 5-degree lines."""
    if step <= CELL * (1 + STEP_TOLERANCE):
        return
    multiple = step / CELL
    if abs(multiple - round(multiple)) > STEP_TOLERANCE:
        raise ImportFailure(f"the {axis} step of {step:g} degrees is neither finer than 5 degrees "
                            "nor a whole multiple of 5 degrees")
    offsets = (lower_edges - origin) / CELL
    if np.any(np.abs(offsets - np.round(offsets)) > STEP_TOLERANCE):
        raise ImportFailure(f"the {step:g}-degree {axis} cells do not line up with the 5-degree cells")


class Pieces:
    """The overlaps along one axis: input index `source` contributes with
    `weight` to output index `target[group]`; pieces are sorted by target and
    `starts` marks where each target's group begins."""

    def __init__(self, overlap):
        source, target = np.nonzero(overlap > NOISE)
        order = np.lexsort((source, target))
        self.source = source[order]
        targets = target[order]
        self.weight = overlap[self.source, targets]
        self.starts = np.flatnonzero(np.r_[True, targets[1:] != targets[:-1]])
        self.target = targets[self.starts]
        # Each output index takes exactly one whole input cell.
        self.one_to_one = self.starts.size == self.source.size and bool(np.all(self.weight == 1.0))

    def reduce(self, data, axis):
        """Sums of weighted input values per output index, along axis."""
        shape = [1] * data.ndim
        shape[axis] = self.weight.size
        taken = np.take(data, self.source, axis=axis) * self.weight.reshape(shape)
        return np.add.reduceat(taken, self.starts, axis=axis)

    def extremes(self, low, high, axis):
        """The least of `low` and the greatest of `high` per output index,
        along axis, NaN ignored (NaN where all are). Folds the k-th piece of
        every output index in turn; one with fewer pieces repeats its last."""
        counts = np.diff(np.r_[self.starts, self.source.size])
        first = self.source[self.starts]
        lowest, highest = np.take(low, first, axis=axis), np.take(high, first, axis=axis)
        for k in range(1, counts.max()):
            pick = self.source[self.starts + np.minimum(k, counts - 1)]
            lowest = np.fmin(lowest, np.take(low, pick, axis=axis))
            highest = np.fmax(highest, np.take(high, pick, axis=axis))
        return lowest, highest


class CellMapping:
    """The 5-degree cells of a grid given by its cell centres."""

    def __init__(self, latitudes, longitudes):
        latitudes = np.asarray(latitudes, dtype=np.float64)
        longitudes = np.asarray(longitudes, dtype=np.float64)
        self.latitude_step = regular_step(latitudes, "latitude")
        self.longitude_step = regular_step(longitudes, "longitude")
        self.rows = Pieces(self.latitude_overlap(latitudes, self.latitude_step))
        self.columns = Pieces(self.longitude_overlap(longitudes, self.longitude_step))

    @staticmethod
    def latitude_overlap(latitudes, step):
        """(input cell, output row): the area of their overlap as a share of the row's area."""
        if np.any(np.abs(latitudes) > 90 + STEP_TOLERANCE * step):
            raise ImportFailure("the latitudes reach beyond the poles")
        lower = latitudes - step / 2
        upper = latitudes + step / 2
        check_step(step, lower, -90.0, "latitude")
        # Cells centred on a pole are half cells.
        lower = np.clip(lower, -90.0, 90.0)
        upper = np.clip(upper, -90.0, 90.0)
        top = 90.0 - CELL * np.arange(ROWS)
        bottom = top - CELL
        high = np.minimum(upper[:, None], top[None, :])
        low = np.maximum(lower[:, None], bottom[None, :])
        area = np.sin(np.radians(high)) - np.sin(np.radians(low))
        row_area = np.sin(np.radians(top)) - np.sin(np.radians(bottom))
        return np.where(high > low, area / row_area, 0.0)

    @staticmethod
    def longitude_overlap(longitudes, step):
        """(input cell, output column): their overlap as a share of 5 degrees.
        Longitudes may run from -180 or from 0, and wrap around."""
        if longitudes.size * step > 360 * (1 + STEP_TOLERANCE):
            raise ImportFailure("the longitudes cover more than 360 degrees")
        west = np.mod(longitudes - step / 2 + 180.0, 360.0) - 180.0
        check_step(step, west, -180.0, "longitude")
        left = -180.0 + CELL * np.arange(COLUMNS)
        right = left + CELL
        total = np.zeros((longitudes.size, COLUMNS))
        for shift in (0.0, -360.0):  # the part of a cell east of 180E wraps to the west
            high = np.minimum(west[:, None] + shift + step, right[None, :])
            low = np.maximum(west[:, None] + shift, left[None, :])
            total += np.maximum(high - low, 0.0)
        return total / CELL

    def apply(self, data):
        """(months, latitudes, longitudes) input values, NaN where missing,
        to (months, 36, 72) cell values, NaN where a cell has no data."""
        if self.rows.one_to_one and self.columns.one_to_one:
            return self.copied(data)
        return self.averaged(data)

    def averaged(self, data):
        valid = ~np.isnan(data)
        values = np.where(valid, data, 0.0)
        sums = self.rows.reduce(self.columns.reduce(values, 2), 1)
        weights = self.rows.reduce(self.columns.reduce(valid.astype(np.float64), 2), 1)
        lowest, highest = self.rows.extremes(*self.columns.extremes(data, data, 2), 1)
        with np.errstate(invalid="ignore", divide="ignore"):
            means = np.rint(sums / weights * 10.0 ** MEAN_DECIMALS) / 10.0 ** MEAN_DECIMALS
        means = np.where(lowest == highest, lowest, means)
        return self.placed(np.where(weights > 0, means, np.nan))

    def copied(self, data):
        """What `averaged` gives when every cell takes one whole input cell
        with weight 1: the input values themselves."""
        return self.placed(data[:, self.rows.source[:, None], self.columns.source[None, :]])

    def placed(self, means):
        cells = np.full((means.shape[0], ROWS, COLUMNS), np.nan)
        cells[:, self.rows.target[:, None], self.columns.target[None, :]] = means
        return cells
