"""Which variable of a file is imported.

Candidates are the variables with a latitude and a longitude axis and at
least one more dimension. Without --variable, the first rule that finds one
decides:
  1. a published product's name (below, in this order; case ignored);
  2. the one temperature candidate: units of a temperature (K, degC and
     their spellings), or no units and a CF standard_name containing
     "temperature" (air_temperature, sea_surface_temperature, ..._anomaly);
     several are an error that lists them;
  3. the one candidate of the file.
--variable NAME takes the variable of that name, or, if there is none, the
one whose name differs from it only in case.
"""

from .axes import LATITUDE, LONGITUDE, axes_of, words
from .errors import ImportFailure

# HadCRUT5, HadCRUT4, CRUTEM5, HadSST, NOAAGlobalTemp, Berkeley Earth,
# GISTEMP; for a climatology CRU's absolute.nc and Berkeley Earth's.
ANOMALY_VARIABLES = ("tas_mean", "temperature_anomaly", "tas", "tos", "anom", "temperature", "tempanomaly")
CLIMATOLOGY_VARIABLES = ("tem", "climatology")

KELVIN_UNITS = {"k", "kelvin", "kelvins", "degk", "deg k", "degree k", "degrees k", "degreek", "degreesk"}
CELSIUS_UNITS = {"degc", "deg c", "degree c", "degrees c", "degreec", "degreesc", "celsius", "deg celsius",
                 "degree celsius", "degrees celsius", "°c", "° c"}


def is_kelvin(variable):
    return words(variable.text("units")) in KELVIN_UNITS


def is_temperature(variable):
    units = words(variable.text("units"))
    if units:
        return units in KELVIN_UNITS or units in CELSIUS_UNITS
    standard_name = variable.text("standard_name").lower()
    # A standard_name with a modifier ("... standard_error") is not a temperature.
    return "temperature" in standard_name and " " not in standard_name


def is_gridded(dataset, variable):
    kinds = [axis.kind for axis in axes_of(dataset, variable)]
    return len(kinds) >= 3 and LATITUDE in kinds and LONGITUDE in kinds


def listed(variables):
    """'AIRT' ("AIR TEMPERATURE", Deg C), ... for messages."""
    texts = []
    for v in variables:
        long_name = v.text("long_name")
        details = ([f'"{long_name}"'] if long_name else []) + [v.text("units") or "no units"]
        texts.append(f"'{v.name}' ({', '.join(details)})")
    return ", ".join(texts) or "none"


def choose_variable(dataset, name, climatology):
    """(the variable, how it was found) as the module describes."""
    candidates = [v for v in dataset.variables.values() if is_gridded(dataset, v)]
    if name is not None:
        same = [v for v in dataset.variables.values() if v.name.lower() == name.lower()]
        if name in dataset.variables:
            return dataset.variables[name], "given with --variable"
        if len(same) == 1:
            return same[0], "given with --variable"
        names = ", ".join(v.name for v in candidates) or "none"
        raise ImportFailure(f"there is no variable '{name}'; candidates: {names}")
    by_name = {v.name.lower(): v for v in reversed(candidates)}
    for known in CLIMATOLOGY_VARIABLES if climatology else ANOMALY_VARIABLES:
        if known in by_name:
            return by_name[known], "by its name"
    temperatures = [v for v in candidates if is_temperature(v)]
    if len(temperatures) == 1:
        return temperatures[0], "the file's only temperature variable"
    if len(temperatures) > 1:
        raise ImportFailure(f"found {len(temperatures)} temperature variables: {listed(temperatures)}; "
                            "choose one with --variable NAME")
    if len(candidates) == 1:
        return candidates[0], "the file's only gridded variable"
    raise ImportFailure("found no temperature variable (units K or degC, or a standard_name with 'temperature'); "
                        f"choose one with --variable NAME; candidates: {listed(candidates)}")
