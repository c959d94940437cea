"""Pulse files as xarray Datasets and NetCDF-4 files, and such Datasets
written back as pulse files.

A Dataset holds one variable per record, named as the record (T0, R1, I0),
over a dimension of its own (T0_time) whose coordinate is the record's time
axis; the headers' fields are attributes by lower-case label, each number
in the type the pulse file stores it in, so that a NetCDF file keeps every
bit of them and the way back gives the same pulse file byte for byte.
"""

import os
import re
import warnings

import numpy as np

try:
    import xarray as xr
    from xarray.backends import BackendArray
    from xarray.core import indexing
except ModuleNotFoundError as e:
    raise ModuleNotFoundError(f"orvane needs xarray for this (Debian: python3-xarray): {e}", name=e.name) from e

from . import _headers, _reader, _time_axis, _writer

# The variables that are records: T0, R12, ... (no leading zeros, as
# rec.name gives them).
_RECORD_NAME = re.compile(r"([TRI])(0|[1-9][0-9]*)")


class _Times(BackendArray):
    """A record's time axis, computed for the part that is indexed only: as
    float64 the whole axis is four times the size of int16 samples."""

    def __init__(self, count, rate):
        self.shape = (count,)
        self.dtype = np.dtype(np.float64)
        self.rate = rate

    def __getitem__(self, key):
        # Every kind of key is taken here: xarray's own split of keys for
        # backends that take fewer (2023.01) misplaces slices with a
        # negative step.
        return indexing.explicit_indexing_adapter(key, self.shape, indexing.IndexingSupport.VECTORIZED, self._at)

    def _at(self, key):
        (which,) = key
        count = self.shape[0]
        if isinstance(which, slice):
            numbers = range(count)[which]  # start, stop and step as Python takes them
            return _time_axis.times(self.rate, numbers.start, numbers.stop, numbers.step)
        numbers = np.asarray(which)  # an integer, or integer arrays
        if np.any((numbers < -count) | (numbers >= count)):
            raise IndexError(f"index out of range for a time axis of {count} samples")
        return _time_axis.at(self.rate, np.where(numbers < 0, numbers + count, numbers))


def header_attrs(header):
    """A header's fields as attributes by lower-case label: numbers as numpy
    scalars of the type they are stored in (uint32, int32, uint16, float32,
    which NetCDF-4 keeps, NaN payloads included), text as str as the header
    reads it, rs as an int32 array of the words. A text field that holds
    bytes after its NUL (files of other programs often do) also gives its
    80 stored bytes as a uint8 array, desc_raw beside desc, so that the way
    back writes the same bytes."""
    kind = header._kind
    stored = np.frombuffer(header.raw, kind.dtype, 1)[0]
    attrs = {}
    for label in kind.labels:
        if label == "rs":
            attrs[label] = np.frombuffer(header.raw, kind.rs_dtype, kind.rs_count, kind.rs_offset).copy()
        elif label in kind.text_labels:
            attrs[label] = header[label]
            raw = header.raw_field(label)
            if raw != raw.split(b"\0", 1)[0].ljust(len(raw), b"\0"):
                attrs[f"{label}_raw"] = np.frombuffer(raw, np.uint8).copy()
        else:
            attrs[label] = stored[label]
    return attrs


def _fields(kind, attrs):
    """The header fields of a kind found in attrs; other attributes (units,
    anything added) are left out. A text field's stored bytes (desc_raw)
    are written where they still hold its text: a text changed since wins."""
    fields = {label: attrs[label] for label in kind.labels if label in attrs}
    for label in kind.text_labels:
        raw = attrs.get(f"{label}_raw")
        if label in fields and raw is not None:
            raw = np.asarray(raw, np.uint8).tobytes()
            if len(raw) == _headers.TEXT_SIZE and _headers._text(raw) == fields[label]:
                fields[label] = raw
    return fields


def dataset(f):
    """PulseFile.to_xarray."""
    data_vars, coords, dims = {}, {}, {}
    for rec in f.records():
        dim = f"{rec.name}_time"
        data_vars[rec.name] = xr.Variable((dim,), rec.samples, header_attrs(rec.header))
        # Added under another name and renamed, so that xarray builds no
        # index from it: an index would compute the whole axis at once.
        axis = indexing.LazilyIndexedArray(_Times(len(rec.samples), rec.rate))
        coords[f"{dim}.axis"] = xr.Variable((dim,), axis, {"units": _time_axis.unit(rec.rate)})
        dims[f"{dim}.axis"] = dim
    ds = xr.Dataset(data_vars, coords, attrs=header_attrs(f.header))
    with warnings.catch_warnings():
        warnings.filterwarnings("ignore", "rename .* does not create an index", UserWarning)
        return ds.rename_vars(dims)


def _storable(value):
    """An attribute value as a NetCDF file can hold it: bools as integers
    (0, 1), tuples, lists and ranges as arrays; everything else as it is."""
    if isinstance(value, (bool, np.bool_)):
        return int(value)
    if isinstance(value, (tuple, list, range)):
        value = np.asarray(value)
    if isinstance(value, np.ndarray) and value.dtype == np.bool_:
        return value.astype(np.int8)
    return value


def _storable_attrs(attrs):
    return {name: _storable(value) for name, value in attrs.items()}


# Bytes of time axes written in one go: xarray holds everything one call
# writes as numpy arrays at once, and the float64 axes of a 360 MB file of
# int16 samples take 1.4 GB.
_AXES_AT_ONCE = 256 * 2**20


def _write_part(part, out, mode):
    encoding = {}
    for name, var in part.variables.items():
        if var.dtype.kind in "iuf":
            # Numbers are stored in their own type, without a _FillValue
            # (xarray gives reals NaN by default): read back, no value is
            # masked or converted.
            encoding[name] = {"dtype": var.dtype, "_FillValue": None}
    part.to_netcdf(out, mode=mode, format="NETCDF4", engine="netcdf4", encoding=encoding)


def _write_netcdf(ds, out):
    out = os.fsdecode(out)
    ds = ds.copy(deep=False)  # attributes are replaced on the copy only
    ds.attrs = _storable_attrs(ds.attrs)
    for var in ds.variables.values():
        var.attrs = _storable_attrs(var.attrs)
    # Everything but the time axes first, then the axes a few at a time.
    axes = [name for name, var in ds.coords.items() if var.dims == (name,)]
    _write_part(ds.drop_vars(axes), out, "w")
    batches, size = [[]], 0
    for name in axes:
        if batches[-1] and size + ds.variables[name].nbytes > _AXES_AT_ONCE:
            batches.append([])
            size = 0
        batches[-1].append(name)
        size += ds.variables[name].nbytes
    for batch in filter(None, batches):
        # Computed once, here: each of xarray's encoders would compute a
        # lazy axis again.
        axes_now = {name: xr.Variable((name,), ds.variables[name].values, ds.variables[name].attrs) for name in batch}
        _write_part(xr.Dataset(coords=axes_now), out, "a")


def to_netcdf(path, out):
    """Writes a pulse file as a NetCDF-4 (HDF5) file at out.

    path is a pulse file's name (opened and checked as orvane.open does), an
    open orvane.PulseFile, or a Dataset as to_xarray gives it. The file
    holds that Dataset: one variable per record, T and I samples as 16-bit
    integers and R samples as 32-bit reals exactly as in the pulse file,
    with no _FillValue, so that xarray.open_dataset(out) gives every value
    back unchanged; each record's time coordinate as float64; the headers'
    fields as attributes in their stored types. Attributes NetCDF cannot
    hold are converted: bools to integers, tuples and lists to arrays.
    Needs xarray and netCDF4 (python3-xarray, python3-netcdf4). out is
    written in place, as xarray writes it.
    """
    if isinstance(path, xr.Dataset):
        _write_netcdf(path, out)
    elif isinstance(path, _reader.PulseFile):
        _write_netcdf(path.to_xarray(), out)
    else:
        with _reader.open(path) as f:
            _write_netcdf(f.to_xarray(), out)


def from_xarray(ds, path):
    """Writes the Dataset ds as a new sealed pulse file at path, as
    orvane.write writes one: the way back from to_xarray and from a NetCDF
    file that to_netcdf wrote (orvane.from_xarray(xarray.open_dataset(nc),
    path)).

    The records are the data variables named T0, T1, ..., R0, ..., I0, ...,
    each kind in the order of its numbers (numbers left out close up); other
    variables are left out. Their samples must be one-dimensional, of
    exactly int16 (T, I) or float32 (R): nothing is cast. Each record's
    header is taken from its variable's attributes and the file header
    from the Dataset's, by lower-case label (fields missing are 0 or empty;
    counts, sizes and the magic number come from the records; a text
    field's stored bytes, such as desc_raw, are kept while they hold its
    text). A file that went to a Dataset, or to NetCDF, and back is the
    same file byte for byte when it was laid out as this system writes
    files (records one after another in table order, one checksum word).
    """
    found = {"T": [], "R": [], "I": []}
    for name, var in ds.data_vars.items():
        match = _RECORD_NAME.fullmatch(name) if isinstance(name, str) else None
        if match:
            found[match[1]].append((int(match[2]), var))
    records = {}
    for letter, variables in found.items():
        kind = _headers.KINDS[letter]
        variables.sort(key=lambda item: item[0])
        records[letter.lower()] = [(_fields(kind, var.attrs), var.values) for _, var in variables]
    _writer.write(path, _fields(_headers.FILE, ds.attrs), **records)
