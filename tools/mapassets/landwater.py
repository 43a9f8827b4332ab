"""Draws land polygons as a two-colour equirectangular picture.

Each polygon is filled by the even-odd rule over its own rings, so that its
holes (lakes, inland seas) stay water; polygons are then joined, so an island
in a lake is land again and polygons that overlap stay land. Filling happens
on a finer raster (SUPERSAMPLING times in each direction), whose average
gives smooth coasts.

The outlines are rings on the sphere: a ring may cross the date line (its
longitude jumps by almost 360 degrees) and Antarctica's ring goes once round
the south pole. Rings are therefore unrolled into continuous longitudes,
a ring round a pole is closed through that pole, and a polygon that reaches
past 180 W or 180 E is drawn a second time a full turn over.
"""

import math

from PIL import Image

LAND_COLOUR = (214, 204, 168)
SEA_COLOUR = (170, 206, 232)
SUPERSAMPLING = 4

# Points this close (degrees) to a pole are taken as lying on it: the
# outlines end a thousandth of a degree short of the south pole.
POLE_SNAP = 0.01


def unrolled_ring(ring):
    """The ring with continuous longitudes (no edge longer than half a turn).
    A ring that goes round a pole comes back closed through that pole."""
    unrolled = [ring[0]]
    for lon, lat in ring[1:]:
        previous = unrolled[-1][0]
        lon += 360.0 * round((previous - lon) / 360.0)
        unrolled.append((lon, lat))
    turn = unrolled[-1][0] - unrolled[0][0]
    if abs(turn) > 180.0:
        pole = -90.0 if sum(lat for _, lat in ring) < 0 else 90.0
        unrolled += [(unrolled[-1][0], pole), (unrolled[0][0], pole), unrolled[0]]
    return unrolled


def unrolled_polygon(polygon):
    """The polygon's rings unrolled, the holes moved by whole turns to lie
    where the outer ring is."""
    outer = unrolled_ring(polygon[0])
    centre = sum(lon for lon, _ in outer) / len(outer)
    rings = [outer]
    for hole in polygon[1:]:
        ring = unrolled_ring(hole)
        mean = sum(lon for lon, _ in ring) / len(ring)
        shift = 360.0 * round((centre - mean) / 360.0)
        rings.append([(lon + shift, lat) for lon, lat in ring])
    return rings


def _copies(rings):
    """The polygon and, where it reaches past a map edge, its copy a full
    turn over."""
    lons = [lon for ring in rings for lon, _ in ring]
    copies = [rings]
    for shift, past in ((360.0, min(lons) < -180.0), (-360.0, max(lons) > 180.0)):
        if past:
            copies.append([[(lon + shift, lat) for lon, lat in ring] for ring in rings])
    return copies


def _to_raster(lon, lat, width, height):
    if lat <= -90.0 + POLE_SNAP:
        lat = -90.0
    elif lat >= 90.0 - POLE_SNAP:
        lat = 90.0
    return (lon + 180.0) / 360.0 * width, (90.0 - lat) / 180.0 * height


def _fill(rings, width, height, raster):
    """Sets the raster pixels whose centre lies inside the rings (even-odd)."""
    crossings = {}
    for ring in rings:
        points = [_to_raster(lon, lat, width, height) for lon, lat in ring]
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            if y0 == y1:
                continue
            # Rows whose centre (row + 0.5) lies in [min y, max y).
            first = max(0, math.ceil(min(y0, y1) - 0.5))
            last = min(height - 1, math.ceil(max(y0, y1) - 0.5) - 1)
            slope = (x1 - x0) / (y1 - y0)
            for row in range(first, last + 1):
                crossings.setdefault(row, []).append(x0 + (row + 0.5 - y0) * slope)
    for row, xs in crossings.items():
        xs.sort()
        base = row * width
        for a, b in zip(xs[0::2], xs[1::2]):
            # Columns whose centre (column + 0.5) lies in [a, b).
            first = max(0, math.ceil(a - 0.5))
            end = min(width, math.ceil(b - 0.5))
            if end > first:
                raster[base + first:base + end] = b"\xff" * (end - first)


def coverage_mask(polygons, width, height):
    """An 8-bit picture ("L") of width x height: 255 where the pixel's centre
    lies on land, 0 elsewhere."""
    raster = bytearray(width * height)
    for polygon in polygons:
        for rings in _copies(unrolled_polygon(polygon)):
            _fill(rings, width, height, raster)
    return Image.frombytes("L", (width, height), bytes(raster))


def land_fraction(polygons, width, height):
    """The share of each pixel covered by land, 0..255, as an "L" picture."""
    fine = coverage_mask(polygons, width * SUPERSAMPLING, height * SUPERSAMPLING)
    return fine.resize((width, height), Image.BOX)


def land_water_picture(polygons, width=1000, height=500):
    """The land/water picture: land colour where the polygons are, sea colour
    elsewhere, mixed along the coasts."""
    land = Image.new("RGB", (width, height), LAND_COLOUR)
    sea = Image.new("RGB", (width, height), SEA_COLOUR)
    return Image.composite(land, sea, land_fraction(polygons, width, height))
