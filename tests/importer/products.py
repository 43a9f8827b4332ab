"""Small netCDF files in the layouts of the published temperature data sets:
their variable and coordinate names, dimension order, types, attributes,
latitude order, longitude convention, missing-value marks and time
encoding. Each writer takes the time steps as month numbers (year * 12 +
month - 1) and the values in the file's own order (time, then the file's
latitudes and longitudes as `latitudes(...)` and `longitudes(...)` give
them), NaN where a value is missing.

Each file is stored as the published one is: netCDF-4 (HDF5) compressed in
chunks of one month (the Met Office's), netCDF-4 compressed (Berkeley
Earth), netCDF-4's classic model, netCDF-3 classic and 64-bit offset (the
older and the American products); a file prepared with xarray holds its
texts as variable-length strings."""

import datetime

import netCDF4
import numpy as np


def month_number(year, month):
    return year * 12 + month - 1


def centres(first, step, count):
    return first + step * np.arange(count)


def month_start(number):
    return datetime.date(number // 12, number % 12 + 1, 1)


def days_since(reference, numbers, day_of_month=None):
    """Days from reference to the middle of each month, or to the given day."""
    days = []
    for n in numbers:
        start = month_start(n)
        if day_of_month is None:
            end = month_start(n + 1)
            days.append((start - reference).days + (end - start).days / 2)
        else:
            days.append((start - reference).days + day_of_month - 1)
    return np.array(days)


def masked(values, fill):
    """values with NaN replaced by the fill value."""
    return np.where(np.isnan(values), fill, values)


def _coordinate(nc, name, values, dtype, **attributes):
    v = nc.createVariable(name, dtype, (name,))
    v.setncatts(attributes)
    v[:] = values
    return v


def _met_office(path, variable, months, values, dtype, fill, attributes, reference="1850-01-01 00:00:00",
               file_format="NETCDF4"):
    """The Met Office Hadley Centre's 5-degree layout: time, latitude (south
    first), longitude (-177.5..177.5), bounds for each; in netCDF-4 the field
    compressed (shuffle and zlib) in chunks of one month."""
    with netCDF4.Dataset(path, "w", format=file_format) as nc:
        nc.createDimension("time", None)
        nc.createDimension("latitude", 36)
        nc.createDimension("longitude", 72)
        nc.createDimension("bnds", 2)
        _coordinate(nc, "time", days_since(datetime.date(1850, 1, 1), months), "f8", standard_name="time",
                    long_name="time", units=f"days since {reference}", calendar="gregorian", axis="T",
                    bounds="time_bnds")
        _coordinate(nc, "latitude", centres(-87.5, 5, 36), "f8", standard_name="latitude", long_name="latitude",
                    units="degrees_north", axis="Y", bounds="latitude_bnds")
        _coordinate(nc, "longitude", centres(-177.5, 5, 72), "f8", standard_name="longitude",
                    long_name="longitude", units="degrees_east", axis="X", bounds="longitude_bnds")
        bounds = nc.createVariable("time_bnds", "f8", ("time", "bnds"))
        bounds[:] = np.stack([days_since(datetime.date(1850, 1, 1), months, 1),
                              days_since(datetime.date(1850, 1, 1), np.asarray(months) + 1, 1)], axis=1)
        for name, first in (("latitude_bnds", -90), ("longitude_bnds", -180)):
            count = 36 if name.startswith("lat") else 72
            b = nc.createVariable(name, "f8", (name.split("_")[0], "bnds"))
            b[:] = np.stack([centres(first, 5, count), centres(first + 5, 5, count)], axis=1)
        kwargs = {"fill_value": fill} if fill is not None else {}
        if file_format == "NETCDF4":
            kwargs.update(zlib=True, complevel=4, shuffle=True, chunksizes=(1, 36, 72))
        v = nc.createVariable(variable, dtype, ("time", "latitude", "longitude"), **kwargs)
        v.setncatts(attributes)
        v[:] = masked(values, fill if fill is not None else np.nan)


def hadcrut5(path, months, values):
    """HadCRUT.5.0.2.0.analysis.anomalies.ensemble_mean.nc: doubles, NaN where missing."""
    _met_office(path, "tas_mean", months, values, "f8", None,
                {"long_name": "blended air_temperature_anomaly over land with sea_water_temperature_anomaly",
                 "units": "K", "standard_name": "surface_temperature"})


def hadcrut4(path, months, values):
    """HadCRUT.4.6.0.0.median.nc: netCDF-3 classic, floats with -1e30 as
    _FillValue and missing_value, a field status."""
    _met_office(path, "temperature_anomaly", months, values, "f4", np.float32(-1e30),
                {"long_name": "near_surface_temperature_anomaly", "units": "K",
                 "missing_value": np.float32(-1e30), "standard_name": "surface_temperature_anomaly"},
                reference="1850-1-1 00:00:00", file_format="NETCDF3_CLASSIC")
    with netCDF4.Dataset(path, "a") as nc:
        nc.createDimension("field_status_string_length", 1)
        status = nc.createVariable("field_status", "S1", ("time", "field_status_string_length"))
        status[:] = np.array([[b"f"]] * len(months))


def crutem5(path, months, values):
    """CRUTEM.5.0.2.0.anomalies.nc: floats with NaN as _FillValue."""
    _met_office(path, "tas", months, values, "f4", np.float32("nan"),
                {"long_name": "Near-surface air temperature anomaly", "units": "K", "standard_name": "air_temperature"})


def hadsst4(path, months, values):
    """HadSST.4.0.1.0_median.nc: floats with -1e30 as _FillValue."""
    _met_office(path, "tos", months, values, "f4", np.float32(-1e30),
                {"long_name": "sea water temperature anomaly", "units": "K",
                 "standard_name": "sea_water_temperature_anomaly"})


def noaaglobaltemp(path, months, values):
    """NOAAGlobalTemp_v5.1.0_gridded_*.nc: netCDF-3 classic, anom(time, z,
    lat, lon), one level, longitudes 2.5..357.5, days since 1800 at the
    start of each month, -999.9 as _FillValue and missing_value."""
    fill = np.float32(-999.9)
    with netCDF4.Dataset(path, "w", format="NETCDF3_CLASSIC") as nc:
        nc.createDimension("time", None)
        nc.createDimension("z", 1)
        nc.createDimension("lat", 36)
        nc.createDimension("lon", 72)
        _coordinate(nc, "time", days_since(datetime.date(1800, 1, 1), months, 1), "f4", long_name="time",
                    units="days since 1800-01-01 00:00:00", standard_name="time", axis="T")
        _coordinate(nc, "z", [0.0], "f4", long_name="depth or height", units="meters", positive="up", axis="Z")
        _coordinate(nc, "lat", centres(-87.5, 5, 36), "f4", long_name="latitude", units="degrees_north",
                    standard_name="latitude", axis="Y")
        _coordinate(nc, "lon", centres(2.5, 5, 72), "f4", long_name="longitude", units="degrees_east",
                    standard_name="longitude", axis="X")
        v = nc.createVariable("anom", "f4", ("time", "z", "lat", "lon"), fill_value=fill)
        v.setncatts({"long_name": "global_temperature_anomalies", "units": "degrees C", "missing_value": fill})
        v[:] = masked(values, fill)[:, None, :, :]


def berkeley(path, months, values, climatology=None):
    """Land_and_Ocean_LatLong1.nc: netCDF-4, 1-degree cells compressed, time
    in decimal years ("year A.D."), NaN where missing, a land mask and a
    12-month climatology."""
    with netCDF4.Dataset(path, "w", format="NETCDF4") as nc:
        nc.createDimension("longitude", 360)
        nc.createDimension("latitude", 180)
        nc.createDimension("time", None)
        nc.createDimension("month_number", 12)
        _coordinate(nc, "longitude", centres(-179.5, 1, 360), "f4", units="degrees_east",
                    standard_name="longitude", long_name="Longitude")
        _coordinate(nc, "latitude", centres(-89.5, 1, 180), "f4", units="degrees_north",
                    standard_name="latitude", long_name="Latitude")
        times = np.array([n // 12 + (n % 12 + 0.5) / 12 for n in months])
        _coordinate(nc, "time", times, "f8", units="year A.D.", standard_name="time", long_name="Time")
        mask = nc.createVariable("land_mask", "f8", ("latitude", "longitude"))
        mask[:] = np.zeros((180, 360))
        v = nc.createVariable("temperature", "f4", ("time", "latitude", "longitude"), zlib=True)
        v.setncatts({"units": "degree C", "standard_name": "surface_temperature_anomaly",
                     "long_name": "Air Surface Temperature Anomaly"})
        v[:] = values
        c = nc.createVariable("climatology", "f4", ("month_number", "latitude", "longitude"), zlib=True)
        c.setncatts({"units": "degree C", "long_name": "Air Surface Temperature Climatology"})
        c[:] = np.zeros((12, 180, 360)) if climatology is None else climatology


def gistemp(path, months, values):
    """gistemp1200_GHCNv4_ERSSTv5.nc: netCDF-3 64-bit offset, 2-degree cells,
    shorts scaled by 0.01 with 32767 as _FillValue, whole days since 1800
    (the 15th)."""
    with netCDF4.Dataset(path, "w", format="NETCDF3_64BIT_OFFSET") as nc:
        nc.createDimension("lat", 90)
        nc.createDimension("lon", 180)
        nc.createDimension("time", None)
        nc.createDimension("nv", 2)
        _coordinate(nc, "lat", centres(-89, 2, 90), "f4", standard_name="latitude", long_name="Latitude",
                    units="degrees_north")
        _coordinate(nc, "lon", centres(-179, 2, 180), "f4", standard_name="longitude", long_name="Longitude",
                    units="degrees_east")
        _coordinate(nc, "time", days_since(datetime.date(1800, 1, 1), months, 15), "i4", long_name="time",
                    units="days since 1800-01-01 00:00:00", bounds="time_bnds")
        b = nc.createVariable("time_bnds", "i4", ("time", "nv"))
        b[:] = np.stack([days_since(datetime.date(1800, 1, 1), months, 1),
                         days_since(datetime.date(1800, 1, 1), np.asarray(months) + 1, 1)], axis=1)
        v = nc.createVariable("tempanomaly", "i2", ("time", "lat", "lon"), fill_value=np.int16(32767))
        v.setncatts({"long_name": "Surface temperature anomaly", "units": "K", "scale_factor": np.float32(0.01),
                     "cell_methods": "time: mean"})
        v[:] = np.ma.masked_invalid(values)


def cru_absolute(path, values, units="degrees Celsius"):
    """absolute.nc: CRU's 1961-90 climatology of absolute temperatures,
    tem(time, lat, lon) shorts scaled by 0.1, latitudes north first, a
    month axis without time units; netCDF-3 classic."""
    fill = np.int16(-32768)
    with netCDF4.Dataset(path, "w", format="NETCDF3_CLASSIC") as nc:
        nc.createDimension("lon", 72)
        nc.createDimension("lat", 36)
        nc.createDimension("time", 12)
        _coordinate(nc, "lon", centres(-177.5, 5, 72), "f4", long_name="Longitude", units="degrees_east")
        _coordinate(nc, "lat", centres(87.5, -5, 36), "f4", long_name="Latitude", units="degrees_north")
        _coordinate(nc, "time", np.arange(1, 13), "f4", long_name="Month")
        v = nc.createVariable("tem", "i2", ("time", "lat", "lon"), fill_value=fill)
        v.setncatts({"long_name": "CRU_Global_1961-1990_Mean_Monthly_Surface_Temperature_Climatology",
                     "units": units, "scale_factor": np.float32(0.1)})
        v[:] = np.ma.masked_invalid(values)


# The coordinates each layout stores, in its own order.
LATITUDES = {
    "5": centres(-87.5, 5, 36), "5-north": centres(87.5, -5, 36),
    "1": centres(-89.5, 1, 180), "2": centres(-89, 2, 90),
}
LONGITUDES = {
    "5": centres(-177.5, 5, 72), "5-east": centres(2.5, 5, 72),
    "1": centres(-179.5, 1, 360), "2": centres(-179, 2, 180),
}


def any_layout(path, dimensions, coordinates, variables, file_format="NETCDF4_CLASSIC", strings=False):
    """A file as files come from elsewhere: dimensions {name: size} (the
    first one unlimited when its size is None), coordinates [(name,
    dimension, values, attributes)], variables [(name, dimensions, values,
    attributes)] of 32-bit floats, NaN stored as -1e34 and marked by
    missing_value as older tools write it; compressed in the netCDF-4
    formats. strings: text attributes as variable-length strings, as
    xarray's h5netcdf writes them (netCDF-4 only)."""
    fill = np.float32(-1e34)

    def describe(v, attributes):
        for key, value in attributes.items():
            if strings and isinstance(value, str):
                v.setncattr_string(key, value)
            else:
                v.setncattr(key, value)

    with netCDF4.Dataset(path, "w", format=file_format) as nc:
        for name, size in dimensions.items():
            nc.createDimension(name, size)
        for name, dimension, values, attributes in coordinates:
            v = nc.createVariable(name, "f8" if np.asarray(values).dtype == np.float64 else "f4", (dimension,))
            describe(v, attributes)
            v[:] = values
        for name, dims, values, attributes in variables:
            v = nc.createVariable(name, "f4", dims, zlib=file_format.startswith("NETCDF4"))
            describe(v, {"missing_value": fill, **attributes})
            v[:] = masked(np.asarray(values, dtype=np.float32), fill)
