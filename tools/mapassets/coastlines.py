"""Writes land outlines as the coastline file "worldmap.txt".

The file holds one point a line, "x y", with x = (longitude + 180) / 360 and
y = (latitude + 90) / 360, and a pen-up line "2 0" between two lines of the
map. Land polygons are cut along the date line and closed along the south
pole; those edges are not coast, and drawn they would run along the map's
edge or straight across it, so the pen is lifted there. A coast that crosses
the date line runs to the map's edge and goes on from the other edge.
"""

PEN_UP = "2 0"

# Degrees within which a point counts as lying on the date line or on a pole
# line: the outlines are quantised to a few thousandths of a degree.
EDGE_TOLERANCE = 0.01

DRAW, CUT, WRAP = "draw", "cut", "wrap"


def _on_date_line(lon):
    return abs(abs(lon) - 180.0) <= EDGE_TOLERANCE


def _on_pole_line(lat):
    return abs(abs(lat) - 90.0) <= EDGE_TOLERANCE


def _unwrapped(a, b):
    """b's longitude moved by a full turn when the edge a-b jumps across the
    date line (the short way round is the real edge)."""
    lon = b[0]
    if lon - a[0] > 180.0:
        lon -= 360.0
    elif a[0] - lon > 180.0:
        lon += 360.0
    return lon


def edge_kind(a, b):
    """How the ring edge a-b is drawn: DRAW as it is; CUT (not coast: it runs
    along the date line or along a pole); WRAP (coast that crosses the date
    line: drawn as two pieces, to the map's edge and on from the other edge)."""
    lon_b = _unwrapped(a, b)
    if _on_date_line(a[0]) and _on_date_line(lon_b) and (a[0] > 0) == (lon_b > 0):
        return CUT
    if _on_pole_line(a[1]) and _on_pole_line(b[1]) and (a[1] > 0) == (b[1] > 0):
        return CUT
    return DRAW if lon_b == b[0] else WRAP


def date_line_crossing(a, b):
    """For a WRAP edge: the point where it leaves the map and the point where
    it comes back on the other side."""
    lon_b = _unwrapped(a, b)
    edge = 180.0 if lon_b > a[0] else -180.0
    t = (edge - a[0]) / (lon_b - a[0])
    lat = a[1] + t * (b[1] - a[1])
    return (edge, lat), (-edge, lat)


def split_ring(ring):
    """The coast lines of one closed ring, each at least two points long.

    A ring without CUT or WRAP edges comes back whole, still closed. Otherwise
    the walk starts after such an edge, so that no line is broken merely
    where the ring happens to start.
    """
    edges = list(zip(ring, ring[1:]))
    kinds = [edge_kind(a, b) for a, b in edges]
    breaks = [k for k, kind in enumerate(kinds) if kind != DRAW]
    if not breaks:
        return [list(ring)] if edges else []
    lines = []

    def finish(line):
        if len(line) >= 2:
            lines.append(line)

    first = breaks[0] + 1
    current = []
    for step in range(len(edges)):
        k = (first + step) % len(edges)
        a, b = edges[k]
        if not current:
            current = [a]
        if kinds[k] == CUT:
            finish(current)
            current = [b]
        elif kinds[k] == WRAP:
            leave, enter = date_line_crossing(a, b)
            finish(current + [leave])
            current = [enter, b]
        else:
            current.append(b)
    # The walk ended with the break edge; what it left leads into the first line.
    if lines and len(current) >= 2 and current[-1] == lines[0][0]:
        lines[0] = current[:-1] + lines[0]
    else:
        finish(current)
    return lines


def format_number(value):
    """Six decimals (a millionth of the circle, 0.04 km), without trailing zeros."""
    text = f"{value:.6f}".rstrip("0").rstrip(".")
    return "0" if text in ("", "-0") else text


def to_file_unit(lon, lat):
    """(longitude, latitude) in degrees as the file's "x y" text."""
    return f"{format_number((lon + 180.0) / 360.0)} {format_number((lat + 90.0) / 360.0)}"


def coast_lines(polygons):
    """All coast lines of the polygons (outer rings and holes alike)."""
    lines = []
    for polygon in polygons:
        for ring in polygon:
            lines.extend(split_ring(ring))
    return lines


def worldmap_text(polygons):
    """The whole file: the coast lines with a pen-up line between two of them.
    Points that repeat the previous one at the file's precision are left out."""
    out = []
    for line in coast_lines(polygons):
        points = []
        for lon, lat in line:
            text = to_file_unit(lon, lat)
            if not points or points[-1] != text:
                points.append(text)
        if len(points) < 2:
            continue
        if out:
            out.append(PEN_UP)
        out.extend(points)
    return "\n".join(out) + "\n" if out else ""
