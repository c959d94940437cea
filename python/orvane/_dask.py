"""One record of many pulse files as one lazy dask array, read where it is
computed: nothing is converted or copied beforehand, and each chunk maps its
file in the worker that needs it."""

import numbers
import os
import re

import numpy as np

from . import _headers, _reader

_RECORD_NAME = re.compile(r"([TRI])(0|[1-9][0-9]*)")


def stack(paths, record="T0", *, verify=True, files_per_chunk="auto"):
    """The samples of one record of every file in paths, as a lazy
    dask.array of shape (files, samples): row k is the record of paths[k].

        x = orvane.stack(sorted(glob.glob("run/*.spf")), "T0")
        means = x.mean(axis=1).compute()        # on the current Dask scheduler

    record names the record as rec.name does: "T0", "R1", "I0". Every file
    must hold it, complete, with the same number of samples; the dtype is
    the record's own, <i2 for T and I records and <f4 for R records, never
    cast. The sizes are checked here, by opening each file's header without
    verifying it; the first file that lacks the record or differs raises a
    ValueError naming that file and what differs (a file that is not a
    pulse file raises as orvane.open does).

    A chunk is files_per_chunk whole rows. "auto" (the default) puts as
    many files in a chunk as dask's array.chunk-size allows (128 MiB unless
    configured): every task costs the scheduler time, and a chunk per file
    of small records would spend more on tasks than on samples. A task
    maps its files in its worker with orvane.open(path, verify), one at a
    time, and lets go of each as soon as its row is read: a chunk of one
    file (files_per_chunk=1, or records as large as a chunk) is a read-only
    view into the mapping, not a copy, held only as long as the task's
    result is; a chunk of several files is their rows copied into one
    array.

    verify=True checks each file in full (checksum included) when it is
    read, as orvane.open does by default, and a damaged file raises then,
    naming it; verify=False trusts the files and reads only the record.
    Paths are made absolute here: workers on other machines need the files
    under the same paths. A file changed since stack() raises a ValueError
    when its chunk is read. Needs dask (python3-dask).
    """
    import dask.array as da
    from dask.base import tokenize

    if isinstance(paths, (str, bytes, os.PathLike)):
        raise TypeError("stack() takes a list of paths, not one path")
    paths = [os.path.abspath(os.fspath(p)) for p in paths]
    if not paths:
        raise ValueError("stack() needs at least one file")
    kind, number = _parse_record_name(record)
    if files_per_chunk != "auto" and (not isinstance(files_per_chunk, int) or files_per_chunk < 1):
        raise ValueError(f"files_per_chunk must be 'auto' or a whole number of at least 1, not {files_per_chunk!r}")

    records = _RecordStack(paths, kind, number, bool(verify), *_common_shape(paths, kind, number))
    chunks = _chunks(records.shape, records.dtype, files_per_chunk)
    name = f"orvane-stack-{kind}{number}-" + tokenize(records, chunks)
    meta = np.empty((0, 0), records.dtype)
    return da.from_array(records, chunks=chunks, name=name, fancy=False, meta=meta)


def _chunks(shape, dtype, files_per_chunk):
    """Chunks of whole rows: a record is never split between tasks."""
    from dask.array.core import normalize_chunks

    if shape[1] == 0:  # nothing to read: one chunk
        return ((shape[0],), (0,))
    if files_per_chunk == "auto":
        return normalize_chunks(("auto", -1), shape, dtype=dtype)
    return normalize_chunks((files_per_chunk, -1), shape, dtype=dtype)


def _parse_record_name(record):
    if not isinstance(record, str):
        raise TypeError(f"record must be a name such as 'T0', not {type(record).__name__}")
    match = _RECORD_NAME.fullmatch(record)
    if match is None:
        raise ValueError(f"{record!r} is not a record name: T, R or I and its number, such as 'T0' or 'R2'")
    return match[1], int(match[2])


def _read_record(path, kind, number, verify):
    """The record of one file, the file already let go of (the samples keep
    its mapping alive); a ValueError naming the file when it has none."""
    with _reader.open(path, verify) as f:
        if f.header["magc"] != _headers.MAGIC:
            # Opened without verifying, anything opens: the full check
            # raises what the engine says of it ("Invalid magic number").
            _reader.open(path, True).close()
        records = {"T": f.t, "R": f.r, "I": f.i}[kind]
        if number >= len(records):
            raise ValueError(f"{os.fsdecode(path)}: no {kind}{number} record (it has {len(records)} {kind} records)")
        rec = records[number]
    if not rec.complete:
        raise ValueError(f"{os.fsdecode(path)}: {kind}{number} is incomplete: the file ends inside it")
    return rec


def _common_shape(paths, kind, number):
    """(samples, dtype, identities) of the record in every file, or the
    ValueError of the first file whose record differs from the first's.
    The identities (inode, size, time of change) give the array a new name
    when a file changes, so that dask never reuses results of the old one."""
    first = _read_record(paths[0], kind, number, verify=False)
    samples, dtype = len(first.samples), first.samples.dtype
    identities = []
    for k, path in enumerate(paths):
        rec = _read_record(path, kind, number, verify=False) if k else first
        if (len(rec.samples), rec.samples.dtype) != (samples, dtype):
            raise ValueError(
                f"{os.fsdecode(path)}: {kind}{number} has {len(rec.samples)} samples of {rec.samples.dtype.str}, "
                f"where {os.fsdecode(paths[0])} has {samples} of {dtype.str}"
            )
        st = os.stat(path)
        identities.append((st.st_ino, st.st_size, st.st_mtime_ns))
    return samples, dtype, identities


class _RecordStack:
    """The array-like dask.array.from_array reads the chunks from: small and
    picklable (paths and sizes), it opens the files of a chunk only when
    the chunk is asked for, in the worker that asks."""

    ndim = 2

    def __init__(self, paths, kind, number, verify, samples, dtype, identities):
        self.paths, self.kind, self.number, self.verify = paths, kind, number, verify
        self.shape = (len(paths), samples)
        self.dtype = dtype
        self._identities = identities

    def __dask_tokenize__(self):
        return (type(self).__name__, self.paths, self.kind, self.number, self.verify, self.shape,
                self.dtype.str, self._identities)

    def __getitem__(self, key):
        if not isinstance(key, tuple):
            key = (key,)
        key = key + (slice(None),) * (2 - len(key))
        files, part = key
        if isinstance(files, numbers.Integral):  # one file by its index: one row
            return self._row(files)[part]
        chosen = np.arange(self.shape[0])[files]
        if len(chosen) == 1:  # a view of the mapping, no copy
            return self._row(chosen[0])[part][np.newaxis]
        # Rows of several files copied one by one: each file's mapping goes
        # as soon as its row is in, however many files the chunk has.
        row_shape = np.empty((0, self.shape[1]), self.dtype)[:, part].shape[1:]
        out = np.empty((len(chosen), *row_shape), self.dtype)
        for n, k in enumerate(chosen):
            out[n] = self._row(k)[part]
        return out

    def _row(self, k):
        path = self.paths[k]
        samples = _read_record(path, self.kind, self.number, self.verify).samples
        if (len(samples), samples.dtype) != (self.shape[1], self.dtype):
            raise ValueError(
                f"{os.fsdecode(path)}: {self.kind}{self.number} changed: {len(samples)} samples of "
                f"{samples.dtype.str} where stack() found {self.shape[1]} of {self.dtype.str}"
            )
        return samples
