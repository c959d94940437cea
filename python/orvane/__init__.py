"""Pulse files (.spf) as numpy arrays, and the Orvane engine's conversions.

    import orvane
    with orvane.open("data.spf") as f:
        gains = [rec.header["gain"] for rec in f.t]
        total = sum(int(rec.samples.sum()) for rec in f.t)

orvane.open maps a file read-only and hands out its samples as numpy arrays
without copying; orvane.write writes a new sealed file from arrays;
to_text, from_text, validate, get_power and set_power run the same engine as
orvane-cli and the desktop program.
"""

from ._errors import (
    ChecksumError,
    ConversionError,
    Error,
    FileChangedError,
    Failure,
    FormatError,
    LayoutError,
)
from ._headers import MAGIC, Header
from ._reader import Problem, PulseFile, Record, Records, open
from ._services import base_name, from_text, get_power, set_power, to_text, validate
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
    "base_name",
    "dtypes",
    "from_text",
    "get_power",
    "open",
    "set_power",
    "to_text",
    "validate",
    "write",
]

# The structured dtypes of the four headers as stored, field by field at its
# offset (numpy.frombuffer(rec.header.raw, dtypes["T"])); headers() gives
# the same fields with text as str.
from ._headers import FILE as _FILE, I as _I, R as _R, T as _T  # noqa: E402

dtypes = {"file": _FILE.dtype, "T": _T.dtype, "R": _R.dtype, "I": _I.dtype}
