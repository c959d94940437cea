"""Writing a new sealed pulse file from headers and numpy arrays."""

import collections.abc
import os

import numpy as np

from . import _headers, _orvane
from ._reader import Record

OFFSET_LIMIT = 2**32  # no record may start at or beyond this
_SIZE_LIMIT = {"T": 2**31 - 1, "R": 2**32 - 1, "I": 2**32 - 1}


def _samples_of(kind, where, samples):
    """samples checked to be a one-dimensional array of the kind's exact dtype."""
    want = kind.sample_dtype
    if not isinstance(samples, np.ndarray):
        raise TypeError(
            f"{where}: samples must be a numpy array of dtype {want.str} ({want.name}), "
            f"not {type(samples).__name__}; use numpy.asarray(samples, dtype={want.str!r})"
        )
    if samples.dtype != want:
        raise TypeError(
            f"{where}: samples have dtype {samples.dtype.str} ({samples.dtype.name}) where {want.str} "
            f"({want.name}) belongs; nothing is cast silently: convert with samples.astype({want.str!r})"
        )
    if samples.ndim != 1:
        raise TypeError(f"{where}: samples must be one-dimensional, not of shape {samples.shape}")
    if len(samples) > _SIZE_LIMIT[kind.name]:
        raise ValueError(f"{where}: {len(samples)} samples do not fit in SIZE")
    return samples


def _sized(kind, raw, count):
    """raw with SIZE set to count; a T record without samples keeps a SIZE
    of zero or less as it is, so that a file written back is unchanged."""
    _, fmt, offset = kind.by_label["size"]
    stored = int(np.frombuffer(raw, fmt, 1, offset)[0])
    if count == 0 and kind.name == "T" and stored <= 0:
        return raw
    if stored == count:
        return raw
    return _headers.encode(kind, raw, {"size": count})


def _plan_record(kind, n, item):
    where = f"{kind.name} record {n}"
    if isinstance(item, Record):
        if item.kind != kind.name:
            raise TypeError(f"{where}: a {item.kind} record given where a {kind.name} record belongs")
        header, samples = item.header, item.samples
    elif isinstance(item, collections.abc.Sequence) and not isinstance(item, (str, bytes)) and len(item) == 2:
        header, samples = item
    else:
        raise TypeError(f"{where}: give a (header, samples) pair or a record of an opened file")
    samples = _samples_of(kind, where, samples)
    raw = _sized(kind, _headers.header_bytes(kind, header), len(samples))
    pad = kind.name != "R" and len(samples) % 2 == 1
    return (raw, samples, pad)


def _check_offsets(records):
    """Refuses, before anything is written or copied, a layout in which a
    record would start beyond the table's 32-bit offsets."""
    position = _headers.FILE.size + 4 * len(records)
    for k, (raw, samples, pad) in enumerate(records):
        if position >= OFFSET_LIMIT:
            raise ValueError(
                f"record {k} in table order would start at byte {position}, beyond the 32-bit offsets "
                "of a pulse file; nothing was written"
            )
        position += len(raw) + samples.nbytes + (2 if pad else 0)


def write(path, header=None, t=(), r=(), i=()):
    """Writes a new sealed pulse file at path.

    header is the file header (an orvane.Header, a mapping of fields by
    label, or None for zeros); t, r and i are the records of each kind, each
    a (header, samples) pair or a record of an opened file. T and I samples
    must be numpy arrays of dtype <i2, R samples of <f4: nothing is cast. The
    counts come from the lists and each SIZE from its samples; the magic
    number is set. The records follow the offset table in order, a T or I
    record with an odd number of samples gets one zero word after them, and
    one checksum word seals the file. It is written beside path and renamed
    into place only when complete and flushed: a reader that has the old file
    open keeps it intact, and a failed write leaves path as it was.
    """
    kinds = ((_headers.T, list(t)), (_headers.R, list(r)), (_headers.I, list(i)))
    records = [_plan_record(kind, n, item) for kind, items in kinds for n, item in enumerate(items)]
    _check_offsets(records)
    records = [(raw, np.ascontiguousarray(samples), pad) for raw, samples, pad in records]
    fields = {"magc": _headers.MAGIC, "tcnt": len(kinds[0][1]), "rcnt": len(kinds[1][1]), "icnt": len(kinds[2][1])}
    file_header = _headers.encode(_headers.FILE, _headers.header_bytes(_headers.FILE, header), fields)
    _orvane.write_file(os.fsencode(os.fspath(path)), file_header, records)
