"""The program's grid files: fixed-size month blocks of a header line and 36
row lines of 72 values, row 0 the band 90N-85N, each row from 180W
eastwards, block 1 January 1850. Lines end with CR LF.

A row line holds the values right-aligned in fields of a fixed width, joined
by single spaces, so that every row line has the same length; the header
line takes what the block leaves. The program reads a value as valid when it
lies strictly inside -99..99 and anything else as "no value"; a cell without
data is written as -99.9.
"""

import functools
import os
import tempfile

import numpy as np

from .errors import ImportFailure

ROWS = 36
COLUMNS = 72
FIRST_YEAR = 1850
MISSING_VALUE = -99.9
LINE_END = b"\r\n"


class Layout:
    """One target file: its name, the block size the program reads it with,
    and the value fields chosen to fill 36 rows into that block."""

    def __init__(self, name, block_size, width, decimals):
        self.name = name
        self.block_size = block_size
        self.width = width
        self.decimals = decimals
        self.row_line_bytes = COLUMNS * (width + 1) - 1 + len(LINE_END)
        self.header_bytes = block_size - ROWS * self.row_line_bytes
        # Room for the sign, two integer digits, the point and the decimals.
        assert decimals > 0 and width >= 4 + decimals and self.header_bytes >= len(LINE_END)

    @property
    def file_name(self):
        return self.name + ".dat"


# The program chooses the block size from the file name; the field widths are
# those of the demonstration data.
TARGETS = {
    "hadcrut4": Layout("hadcrut4", 20856, 7, 3),
    "hadcrut3": Layout("hadcrut3", 28613, 10, 3),
    "hadcrut3v": Layout("hadcrut3v", 28613, 10, 3),
    "hadsst2": Layout("hadsst2", 20780, 7, 3),
    "abstem3": Layout("abstem3", 28561, 10, 3),
}


def format_blocks(layout, headers, values):
    """The bytes of len(headers) month blocks, and which cells they give a
    value. values: (months, 36, 72) floats, NaN where a cell has no data.
    Each value is rounded to the layout's decimals, halves away from zero;
    one whose rounded value is not strictly inside -99..99 is written as
    missing."""
    months = len(headers)
    units, negative = rounded_units(values.reshape(months * ROWS * COLUMNS), layout.decimals)
    valid = units < 99 * 10 ** layout.decimals
    units[~valid] = round(-MISSING_VALUE * 10 ** layout.decimals)
    negative[~valid] = True
    fields = field_characters(units, negative, layout)

    w = layout.width
    rows = np.full((months * ROWS, COLUMNS, w + 1), ord(" "), dtype=np.uint8)
    rows[:, :, :w] = fields.reshape(months * ROWS, COLUMNS, w)
    rows = rows.reshape(months * ROWS, COLUMNS * (w + 1))
    rows[:, -1] = LINE_END[0]
    rows = np.concatenate([rows, np.full((months * ROWS, 1), LINE_END[1], dtype=np.uint8)], axis=1)

    header_lines = np.frombuffer(b"".join(header_line(layout, text) for text in headers), dtype=np.uint8)
    blocks = np.concatenate([header_lines.reshape(months, layout.header_bytes),
                             rows.reshape(months, ROWS * layout.row_line_bytes)], axis=1)
    assert blocks.shape[1] == layout.block_size
    return blocks.tobytes(), valid.reshape(months, ROWS, COLUMNS)


def header_line(layout, text):
    """The header text cut to fit and padded with spaces, with its line end."""
    room = layout.header_bytes - len(LINE_END)
    encoded = text.encode("ascii", "replace").replace(b"\r", b" ").replace(b"\n", b" ")[:room]
    return encoded.ljust(room) + LINE_END


def rounded_units(values, decimals):
    """|value| * 10^decimals rounded half away from zero, exactly (as float;
    NaN or inf where the value is), and whether the value is negative.

    The product is rounded to a double; its rounding error, found exactly by
    splitting the value (Veltkamp), decides the cases that look like halves."""
    scale = 10.0 ** decimals
    magnitude = np.abs(values)
    product = magnitude * scale
    with np.errstate(invalid="ignore", over="ignore"):
        split = 134217729.0 * magnitude
        high = split - (split - magnitude)
        low = magnitude - high
        error = (high * scale - product) + low * scale
        whole = np.floor(product)
        fraction = product - whole
        up = (fraction > 0.5) | ((fraction == 0.5) & (error >= 0))
    return whole + up, values < 0


def field_characters(units, negative, layout):
    """(n, width) characters: each number right-aligned in its field, with a
    minus sign when it is negative and does not round to zero. units: whole
    numbers below 10^(decimals + 2), as every value written is."""
    table = field_table(layout.width, layout.decimals)
    count = 10 ** (layout.decimals + 2)
    whole = units.astype(np.int64)
    return table[whole + count * (negative & (whole != 0))]


@functools.lru_cache(maxsize=None)
def field_table(width, decimals):
    """Every field the layout can hold: the numbers 0 .. 10^(decimals + 2) - 1
    in units of the last decimal, then the same numbers negative."""
    count = 10 ** (decimals + 2)
    scale = 10 ** decimals
    texts = [f"{sign}{u // scale}.{u % scale:0{decimals}d}".rjust(width) for sign in ("", "-") for u in range(count)]
    return np.frombuffer("".join(texts).encode("ascii"), dtype=np.uint8).reshape(2 * count, width)


def latitude_weights():
    """The program's area weight of one cell in each row, north first."""
    delta = 5 * 0.0174532925
    sphere = 6371.0 * 6371.0 * 12.5663706
    upper = 1.570796325 - delta * np.arange(ROWS)
    lower = upper - delta
    return np.abs(np.sin(lower) - np.sin(upper)) * (1.0 / (360.0 / 5)) * (6371.0 * 6371.0) * 6.2831853 * (1.0 / sphere)


def current_umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


class AtomicFile:
    """A file written under a temporary name beside its final one and moved
    into place by `commit`; until then the old file stays as it was, and a
    failure or `discard` removes the temporary file."""

    def __init__(self, path):
        self.path = path
        folder = os.path.dirname(path) or "."
        try:
            handle, self.part = tempfile.mkstemp(prefix=os.path.basename(path) + ".", suffix=".part", dir=folder)
        except OSError as error:
            raise ImportFailure(f"cannot write to the folder {folder}: {error.strerror or error}") from None
        self.file = os.fdopen(handle, "wb")
        # mkstemp makes the file private; the data set gets the usual mode.
        os.chmod(self.part, os.stat(path).st_mode & 0o777 if os.path.exists(path) else 0o666 & ~current_umask())

    def write(self, data):
        try:
            self.file.write(data)
        except OSError as error:
            raise ImportFailure(f"cannot write {self.part}: {error.strerror or error}") from None

    def commit(self):
        try:
            self.file.flush()
            os.fsync(self.file.fileno())
            self.file.close()
            os.replace(self.part, self.path)
        except OSError as error:
            self.discard()
            hint = " (is the file open in the program?)" if isinstance(error, PermissionError) else ""
            raise ImportFailure(f"cannot write {self.path}: {error.strerror or error}{hint}") from None

    def discard(self):
        self.file.close()
        if os.path.exists(self.part):
            os.remove(self.part)

    def __enter__(self):
        return self

    def __exit__(self, kind, value, traceback):
        if kind is not None:
            self.discard()
        return False
