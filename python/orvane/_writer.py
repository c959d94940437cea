"""Writing a new sealed pulse file from headers and numpy arrays, through
the engine's pulse file writer."""

import collections.abc
import os

import numpy as np

from . import _errors, _headers, _orvane
from ._reader import Record


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
    return samples


def _record(kind, n, item):
    """(letter, header bytes, samples) of the n-th record of a kind. Samples
    already in one piece go to the engine as they are, without a copy."""
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
    try:
        raw = _headers.header_bytes(kind, header)
    except (TypeError, ValueError, OverflowError) as e:
        raise type(e)(f"{where}: {e}") from None
    return (kind.name, raw, np.ascontiguousarray(samples))


def write(path, header=None, t=(), r=(), i=()):
    """Writes a new sealed pulse file at path.

    header is the file header (an orvane.Header, a mapping of fields by
    label, or None for zeros); t, r and i are the records of each kind, each
    a (header, samples) pair or a record of an opened file. T and I samples
    must be numpy arrays of dtype <i2, R samples of <f4: nothing is cast, and
    arrays in one piece are written from where they lie, without a copy. The
    counts come from the lists and each SIZE from its samples; the magic
    number is set. The records follow the offset table in order, a T or I
    record with an odd number of samples gets one zero word after them, and
    one checksum word seals the file.

    It is written beside path and renamed into place only when complete and
    flushed: a reader that has the old file open keeps it intact, and a
    failed write leaves path as it was. A symbolic link is written through
    to the file it names, and a file replaced keeps its mode; a read-only
    file, or one with other hard links, is refused with an OSError, as a
    conversion refuses it. Records no pulse file can hold (more samples than
    SIZE counts, or past the 32-bit offsets) raise LayoutError, a ValueError,
    before anything is written.
    """
    kinds = ((_headers.T, t), (_headers.R, r), (_headers.I, i))
    records = [_record(kind, n, item) for kind, items in kinds for n, item in enumerate(items)]
    file_header = _headers.header_bytes(_headers.FILE, header)
    outcome = _errors.Outcome(*_orvane.write_file(os.fsencode(os.fspath(path)), file_header, records))
    if not outcome.ok:
        raise _errors.write_error(outcome)
