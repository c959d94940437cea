"""Pulse files (.spf) as numpy arrays, and the Orvane engine's conversions.

    import orvane
    with orvane.open("data.spf") as f:
        gains = [rec.header["gain"] for rec in f.t]
        total = sum(int(rec.samples.sum()) for rec in f.t)

orvane.open maps a file read-only and hands out its samples as numpy arrays
without copying; orvane.write writes a new sealed file from arrays;
f.to_xarray(), orvane.to_netcdf and orvane.from_xarray carry files to xarray
and NetCDF-4 and back (with xarray installed); to_text, from_text, validate,
get_power, set_power, stats, diff, repair and salvage run the same engine as orvane-cli and
the desktop program; orvane.stack gives one record of many files as a lazy dask array.
"""

from ._errors import (
    ChecksumError,
    ConversionError,
    Error,
    FileChangedError,
    Failure,
    FormatError,
    LayoutError,
    TextError,
    TextWarning,
)
from ._headers import MAGIC, Header
from ._dask import stack
from ._reader import Problem, PulseFile, Record, Records, open
from ._services import (
    base_name,
    check_text,
    diff,
    from_text,
    get_power,
    repair,
    salvage,
    set_power,
    stats,
    to_text,
    validate,
)
from ._writer import write

__all__ = [
    "MAGIC",
    "ChecksumError",
    "ConversionError",
    "Error",
    "Failure",
    "FileChangedError",
    "FormatError",
    "Header",
    "LayoutError",
    "Problem",
    "PulseFile",
    "Record",
    "Records",
    "TextError",
    "TextWarning",
    "base_name",
    "check_text",
    "diff",
    "dtypes",
    "from_text",
    "from_xarray",
    "get_power",
    "open",
    "repair",
    "salvage",
    "set_power",
    "stack",
    "stats",
    "to_netcdf",
    "to_text",
    "validate",
    "write",
]

# The structured dtypes of the four headers as stored, field by field at its
# offset (numpy.frombuffer(rec.header.raw, dtypes["T"])); headers() gives
# the same fields with text as str.
from ._headers import FILE as _FILE, I as _I, R as _R, T as _T  # noqa: E402

dtypes = {"file": _FILE.dtype, "T": _T.dtype, "R": _R.dtype, "I": _I.dtype}


def __getattr__(name):
    # The xarray functions are imported on first use: importing orvane
    # stays quick, and needs no xarray.
    if name in ("to_netcdf", "from_xarray"):
        from . import _xarray

        return getattr(_xarray, name)
    raise AttributeError(f"module 'orvane' has no attribute {name!r}")


def __dir__():
    return sorted({*globals(), "to_netcdf", "from_xarray"})
