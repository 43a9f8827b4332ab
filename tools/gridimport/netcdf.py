"""Reading netCDF files through netCDF4 or, where that is not installed,
through xarray. Both give the same view: variables with their dimensions,
shape and attributes, and values as 64-bit floats with NaN wherever the file
marks a value as missing (_FillValue, missing_value, NaN), scale_factor and
add_offset applied."""

import os

import numpy as np

from .errors import ImportFailure

try:
    import netCDF4
except ImportError:
    netCDF4 = None
    try:
        import xarray
    except ImportError:
        xarray = None


class Variable:
    def __init__(self, name, dimensions, shape, attributes, reader):
        self.name = name
        self.dimensions = tuple(dimensions)
        self.shape = tuple(int(n) for n in shape)
        self.attributes = attributes
        self.reader = reader

    def read(self, index=slice(None)):
        """The values at index (a slice, or a tuple of ints and slices) as floats."""
        try:
            data = self.reader(index)
            if np.ma.isMaskedArray(data):
                return np.ma.filled(data.astype(np.float64), np.nan)
            return np.asarray(data, dtype=np.float64)
        except (OSError, RuntimeError, ValueError, TypeError, IndexError) as error:
            raise ImportFailure(f"cannot read '{self.name}': {one_line(error)}") from None

    def text(self, attribute):
        """An attribute as text, '' when absent."""
        value = self.attributes.get(attribute, "")
        if isinstance(value, bytes):
            value = value.decode("utf-8", "replace")
        return str(value).strip()


class Dataset:
    """An open netCDF file: `variables` by name; a context manager."""

    def __init__(self, path):
        if not os.path.isfile(path):
            raise ImportFailure(f"{path}: no such file")
        if netCDF4 is not None:
            self.backend = "netCDF4"
            self.handle = self.open_netcdf4(path)
        elif xarray is not None:
            self.backend = "xarray"
            self.handle = self.open_xarray(path)
        else:
            raise ImportFailure("reading netCDF needs the Python package netCDF4 or xarray; install one of them")

    def open_netcdf4(self, path):
        try:
            handle = netCDF4.Dataset(path, "r")
        except (OSError, RuntimeError, ValueError) as error:
            raise ImportFailure(f"{path} cannot be read as netCDF ({one_line(error)})") from None
        self.variables = {}
        for name, variable in handle.variables.items():
            attributes = {key: variable.getncattr(key) for key in variable.ncattrs()}
            self.variables[name] = Variable(name, variable.dimensions, variable.shape, attributes,
                                            lambda index, v=variable: v[index])
        return handle

    def open_xarray(self, path):
        # decode_coords=False keeps each variable's `coordinates` attribute
        # among its attributes, as netCDF4 shows it.
        try:
            handle = xarray.open_dataset(path, decode_times=False, decode_timedelta=False,
                                         decode_coords=False, mask_and_scale=True, cache=False)
        except Exception as error:  # each xarray engine fails in its own way
            raise ImportFailure(f"{path} cannot be read as netCDF ({one_line(error)})") from None
        self.variables = {}
        for name, variable in handle.variables.items():
            self.variables[str(name)] = Variable(str(name), variable.dims, variable.shape, dict(variable.attrs),
                                                 lambda index, v=variable: v[index].values)
        return handle

    def close(self):
        self.handle.close()

    def __enter__(self):
        return self

    def __exit__(self, kind, value, traceback):
        self.close()
        return False


def one_line(error):
    return " ".join(str(error).split()) or type(error).__name__
