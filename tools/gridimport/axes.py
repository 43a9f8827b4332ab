"""What each dimension of a variable is: latitude, longitude, time, a
vertical level, or none of these; and the coordinate variable that says so.

A dimension's coordinates are, in this order: the variable named as the
dimension, the variables named in the data variable's CF `coordinates`
attribute, and every other variable of the file, each only if it is 1-D on
that dimension. The first of them whose attributes, or failing those whose
name, say what it is decides:

  latitude   units degrees_north (and spellings) or standard_name latitude
  longitude  units degrees_east (and spellings) or standard_name longitude
  time       units "<unit> since <date>", axis T or standard_name time
  level      axis Z, an attribute `positive`, units of length or pressure,
             or a vertical standard_name
  names      lat, latitude; lon, longitude; time, date, month, months,
             month_number; z, lev, level, plev, depth, height, ...

A dimension without such a coordinate is a time axis if its own name is a
time name (a climatology's months may be just numbered). A level axis needs
a coordinate: its values are what --level chooses. All comparisons ignore
case.
"""

import re

import numpy as np

LATITUDE = "latitude"
LONGITUDE = "longitude"
TIME = "time"
LEVEL = "level"

LATITUDE_UNITS = {"degrees_north", "degree_north", "degrees_n", "degree_n", "degreesn", "degreen"}
LONGITUDE_UNITS = {"degrees_east", "degree_east", "degrees_e", "degree_e", "degreese", "degreee"}
LENGTH_UNITS = {"m", "meter", "meters", "metre", "metres", "km", "kilometer", "kilometers", "kilometre",
                "kilometres", "cm", "ft", "feet"}
PRESSURE_UNITS = {"pa", "hpa", "kpa", "mbar", "millibar", "millibars", "mb", "bar", "bars", "dbar", "decibar",
                  "decibars", "atm"}
# CF's parametric vertical coordinates all end in "_coordinate".
VERTICAL_STANDARD_NAMES = {"depth", "height", "altitude", "air_pressure", "sea_water_pressure",
                           "model_level_number", "geopotential_height", "height_above_mean_sea_level",
                           "height_above_reference_ellipsoid", "depth_below_geoid"}

NAMES = {
    LATITUDE: {"lat", "latitude"},
    LONGITUDE: {"lon", "longitude"},
    TIME: {"time", "date", "month", "months", "month_number"},
    LEVEL: {"z", "lev", "level", "levels", "plev", "pressure", "depth", "height", "altitude", "zlev"},
}

SINCE = re.compile(r"\ssince\s")


def words(text):
    """Lower case, underscores as spaces, single spaces: the form units are compared in."""
    return " ".join(text.lower().replace("_", " ").split())


def kind_by_attributes(variable):
    units = variable.text("units").lower()
    standard_name = variable.text("standard_name").lower()
    axis = variable.text("axis").upper()
    if units in LATITUDE_UNITS or standard_name == "latitude":
        return LATITUDE
    if units in LONGITUDE_UNITS or standard_name == "longitude":
        return LONGITUDE
    if SINCE.search(f" {units} ") or axis == "T" or standard_name == "time":
        return TIME
    if (axis == "Z" or variable.text("positive").lower() in ("up", "down")
            or words(units) in LENGTH_UNITS | PRESSURE_UNITS
            or standard_name in VERTICAL_STANDARD_NAMES or standard_name.endswith("_coordinate")):
        return LEVEL
    return None


def kind_by_name(name):
    return next((kind for kind, names in NAMES.items() if name.lower() in names), None)


def kind_of(coordinate):
    return kind_by_attributes(coordinate) or kind_by_name(coordinate.name)


class Axis:
    """One dimension of the data variable: its name, length, kind (None if
    unknown) and coordinate variable (None if it has none)."""

    def __init__(self, dimension, size, kind, coordinate):
        self.dimension = dimension
        self.size = size
        self.kind = kind
        self.coordinate = coordinate

    def units(self):
        return self.coordinate.text("units") if self.coordinate is not None else ""

    def values(self):
        return self.coordinate.read()

    def describe(self):
        """'DEPTH' (METERS, positive down), as messages name an axis."""
        details = []
        if self.coordinate is not None and self.coordinate.name != self.dimension:
            details.append(f"coordinate '{self.coordinate.name}'")
        details.append(self.units() or "no units")
        positive = self.coordinate.text("positive") if self.coordinate is not None else ""
        if positive:
            details.append(f"positive {positive}")
        return f"'{self.dimension}' ({', '.join(details)})"


def coordinates_of(dataset, variable, dimension):
    """The 1-D variables on the dimension, in the order the module describes."""
    names = [dimension] + variable.text("coordinates").split() + list(dataset.variables)
    found = []
    for name in names:
        c = dataset.variables.get(name)
        if c is not None and c.dimensions == (dimension,) and c not in found:
            found.append(c)
    return found


def axes_of(dataset, variable):
    """An Axis for each dimension of the variable, in its order."""
    axes = []
    for dimension, size in zip(variable.dimensions, variable.shape):
        found = next(((kind_of(c), c) for c in coordinates_of(dataset, variable, dimension) if kind_of(c)), None)
        if found is None and kind_by_name(dimension) == TIME:
            found = (TIME, None)
        axes.append(Axis(dimension, size, *(found or (None, None))))
    return axes


def level_text(value):
    """The shortest decimal that reads back as the same 32-bit float: how
    levels are shown and compared (coordinates are often 32-bit floats)."""
    return np.format_float_positional(np.float32(value), trim="-")


def level_index(axis, wanted):
    """The index of the level whose coordinate equals wanted as a 32-bit float, or None."""
    matches = np.flatnonzero(np.asarray(axis.values(), dtype=np.float32) == np.float32(wanted))
    return int(matches[0]) if matches.size else None
