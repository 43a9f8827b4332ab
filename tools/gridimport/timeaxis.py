"""Decoding of CF time coordinates into calendar months.

A time value is "<unit> since <date>" in one of the CF calendars, or, as
Berkeley Earth writes it, a decimal year ("year A.D."). The result of
`month_numbers` is year * 12 + month - 1 for every value, so that January
1850 is 1850 * 12. The decoding is done here rather than by a library so
that every netCDF backend gives the same months.
"""

import re

import numpy as np

from .errors import ImportFailure

# Julian day number of 1582-10-15, the first day of the Gregorian calendar
# in CF's mixed "standard" calendar.
GREGORIAN_START_JDN = 2299161

# A time a hair before midnight (0.09 s) belongs to the next day: values
# written as floats rarely land exactly on a day or month boundary.
EPSILON = 1e-6

DAYS_PER_UNIT = {
    "day": 1.0, "days": 1.0, "d": 1.0,
    "hour": 1 / 24, "hours": 1 / 24, "hr": 1 / 24, "hrs": 1 / 24, "h": 1 / 24,
    "minute": 1 / 1440, "minutes": 1 / 1440, "min": 1 / 1440, "mins": 1 / 1440,
    "second": 1 / 86400, "seconds": 1 / 86400, "sec": 1 / 86400, "secs": 1 / 86400, "s": 1 / 86400,
}
MONTH_UNITS = ("month", "months")

CALENDARS = ("standard", "gregorian", "proleptic_gregorian", "julian",
             "noleap", "365_day", "all_leap", "366_day", "360_day")

DECIMAL_YEAR = re.compile(r"^years?\s+a\.?\s*d\.?$")
SINCE = re.compile(r"^([a-z]+)\s+since\s+(.+)$")
REFERENCE = re.compile(
    r"^(-?\d{1,4})-(\d{1,2})(?:-(\d{1,2}))?"
    r"(?:(?:t|\s+)(\d{1,2}):(\d{1,2})(?::(\d{1,2}(?:\.\d*)?))?)?"
    r"\s*(?:z|utc|gmt|([+-]\d{1,2})(?::?(\d{2}))?)?$")

NOLEAP_MONTH_STARTS = np.array([0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365])
ALL_LEAP_MONTH_STARTS = np.array([0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366])


# The months the program can place: January -9999 to December 9999, its last
# month. Values are checked against them before any conversion to integers.
FIRST_YEAR_HELD, LAST_YEAR_HELD = -9999, 9999
FIRST_MONTH_HELD, LAST_MONTH_HELD = FIRST_YEAR_HELD * 12, LAST_YEAR_HELD * 12 + 11


def check_range(values, positions, first, last, units):
    """Refuses the first value whose month (or day number) lies outside first..last."""
    outside = np.flatnonzero((positions < first) | (positions > last))
    if outside.size:
        i = int(outside[0])
        step = f"time step {i + 1} ({float(values[i])!r} {units})"
        if positions[i] > last:
            raise ImportFailure(f"{step} falls after December 9999, the last month this program holds")
        raise ImportFailure(f"{step} falls before the year -9999, the first this program can place")
    return positions.astype(np.int64)


def month_numbers(values, units, calendar):
    """year * 12 + month - 1 of every time value (a 1-D array of numbers)."""
    values = np.asarray(values, dtype=np.float64)
    if not np.all(np.isfinite(values)):
        raise ImportFailure("the time axis has missing values")
    text = " ".join(str(units).strip().lower().split())
    if DECIMAL_YEAR.match(text):
        return check_range(values, np.floor(values * 12 + EPSILON), FIRST_MONTH_HELD, LAST_MONTH_HELD, units)
    match = SINCE.match(text)
    if not match:
        raise ImportFailure(f"cannot read the time units '{units}' (expected '<unit> since <date>')")
    unit, reference = match.groups()
    year, month, day, day_fraction = parse_reference(reference, units)
    if unit in MONTH_UNITS:
        # Calendar months: the day of the reference date does not move them.
        return check_range(values, year * 12 + month - 1 + np.floor(values + EPSILON), FIRST_MONTH_HELD,
                           LAST_MONTH_HELD, units)
    if unit not in DAYS_PER_UNIT:
        raise ImportFailure(f"cannot read the time units '{units}': unknown unit '{unit}'")
    calendar = (calendar or "standard").strip().lower()
    if calendar not in CALENDARS:
        raise ImportFailure(f"the calendar '{calendar}' of the time axis is not supported")
    start = day_number(np.array([year]), np.array([month]), np.array([day]), calendar)[0]
    first, last = day_number(np.array([FIRST_YEAR_HELD, LAST_YEAR_HELD + 1]), np.array([1, 1]), np.array([1, 1]),
                             calendar)
    days = check_range(values, np.floor(start + day_fraction + values * DAYS_PER_UNIT[unit] + EPSILON), first,
                       last - 1, units)
    years, months = year_and_month(days, calendar)
    return years * 12 + months - 1


def parse_reference(text, units):
    """(year, month, day, fraction of a day) of a reference date, in UTC."""
    match = REFERENCE.match(text.strip())
    if not match:
        raise ImportFailure(f"cannot read the reference date of the time units '{units}'")
    year, month, day, hour, minute, second, zone_hours, zone_minutes = match.groups()
    year, month, day = int(year), int(month), int(day or 1)
    if not (1 <= month <= 12 and 1 <= day <= 31):
        raise ImportFailure(f"the reference date of the time units '{units}' is not a date")
    seconds = int(hour or 0) * 3600 + int(minute or 0) * 60 + float(second or 0)
    if zone_hours:
        offset = abs(int(zone_hours)) * 3600 + int(zone_minutes or 0) * 60
        seconds -= offset if not zone_hours.startswith("-") else -offset
    return year, month, day, seconds / 86400


def day_number(years, months, days, calendar):
    """A running day number of dates in the calendar (arrays of integers)."""
    if calendar in ("standard", "gregorian"):
        gregorian = (years * 10000 + months * 100 + days) >= 15821015
        return np.where(gregorian, gregorian_to_jdn(years, months, days),
                        julian_to_jdn(years, months, days))
    if calendar == "proleptic_gregorian":
        return gregorian_to_jdn(years, months, days)
    if calendar == "julian":
        return julian_to_jdn(years, months, days)
    if calendar in ("noleap", "365_day"):
        return years * 365 + NOLEAP_MONTH_STARTS[months - 1] + days - 1
    if calendar in ("all_leap", "366_day"):
        return years * 366 + ALL_LEAP_MONTH_STARTS[months - 1] + days - 1
    return years * 360 + (months - 1) * 30 + days - 1


def year_and_month(numbers, calendar):
    """(years, months) of day numbers made by `day_number`."""
    if calendar in ("standard", "gregorian"):
        gy, gm = jdn_to_gregorian(numbers)
        jy, jm = jdn_to_julian(numbers)
        gregorian = numbers >= GREGORIAN_START_JDN
        return np.where(gregorian, gy, jy), np.where(gregorian, gm, jm)
    if calendar == "proleptic_gregorian":
        return jdn_to_gregorian(numbers)
    if calendar == "julian":
        return jdn_to_julian(numbers)
    if calendar in ("noleap", "365_day", "all_leap", "366_day"):
        length = 365 if calendar in ("noleap", "365_day") else 366
        starts = NOLEAP_MONTH_STARTS if length == 365 else ALL_LEAP_MONTH_STARTS
        years, day_of_year = np.divmod(numbers, length)
        return years, np.searchsorted(starts, day_of_year, side="right")
    years, day_of_year = np.divmod(numbers, 360)
    return years, day_of_year // 30 + 1


# Julian day numbers (Fliegel and Van Flandern; Richards), with floor division
# so that they hold for years before 1 as well.

def gregorian_to_jdn(y, m, d):
    a = (14 - m) // 12
    y2 = y + 4800 - a
    m2 = m + 12 * a - 3
    return d + (153 * m2 + 2) // 5 + 365 * y2 + y2 // 4 - y2 // 100 + y2 // 400 - 32045


def julian_to_jdn(y, m, d):
    a = (14 - m) // 12
    y2 = y + 4800 - a
    m2 = m + 12 * a - 3
    return d + (153 * m2 + 2) // 5 + 365 * y2 + y2 // 4 - 32083


def jdn_to_gregorian(jdn):
    a = jdn + 32044
    b = (4 * a + 3) // 146097
    c = a - 146097 * b // 4
    d = (4 * c + 3) // 1461
    e = c - 1461 * d // 4
    m = (5 * e + 2) // 153
    return 100 * b + d - 4800 + m // 10, m + 3 - 12 * (m // 10)


def jdn_to_julian(jdn):
    c = jdn + 32082
    d = (4 * c + 3) // 1461
    e = c - 1461 * d // 4
    m = (5 * e + 2) // 153
    return d - 4800 + m // 10, m + 3 - 12 * (m // 10)
