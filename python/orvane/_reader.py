"""Pulse files opened read-only through a memory mapping: the header, the
records and their samples as numpy arrays that point into the mapping."""

import collections.abc
import operator
import os

import numpy as np

from . import _errors, _headers, _orvane, _time_axis


class Problem(tuple):
    """One thing wrong with a damaged file: (code, message, record name or None)."""

    __slots__ = ()

    def __new__(cls, code, message, record):
        return super().__new__(cls, (_errors.Failure(code), message, record))

    code = property(lambda self: self[0], doc="the engine's failure code")
    message = property(lambda self: self[1], doc="the engine's message")
    record = property(lambda self: self[2], doc='"T0", "R2", ... or None for the file as a whole')

    def __repr__(self):
        return f"Problem({self.code.name}, {self.message!r}, {self.record!r})"


class Record:
    """One record: its header, its samples (a read-only view into the
    mapping, never a copy) and where it lies in the file."""

    __slots__ = ("kind", "number", "header", "samples", "offset", "complete", "_source")

    def __init__(self, kind, number, header, samples, offset, complete):
        self.kind = kind  # 'T', 'R' or 'I'
        self.number = number  # within its kind, from 0
        self.header = header
        self.samples = samples
        self.offset = offset  # the table's entry: where the record header starts
        self.complete = complete  # header and every declared sample inside the file

    @property
    def name(self):
        """'T0', 'R2', ..."""
        return f"{self.kind}{self.number}"

    # A record is also an array of its samples, for numpy, pandas and
    # xarray: len(rec), numpy.asarray(rec) (the view rec.samples itself,
    # never a copy), rec.dtype and rec.shape.

    def __len__(self):
        return len(self.samples)

    def __array__(self, dtype=None, copy=None):
        samples = self.samples
        if dtype is not None and np.dtype(dtype) != samples.dtype:
            if copy is False:
                raise ValueError(f"{self.name} holds {samples.dtype.str} samples: {np.dtype(dtype).str} needs a copy")
            return samples.astype(dtype)
        return samples.copy() if copy else samples

    @property
    def dtype(self):
        """<i2 for T and I records, <f4 for R records."""
        return self.samples.dtype

    @property
    def shape(self):
        """(number of samples,)"""
        return self.samples.shape

    @property
    def rate(self):
        """The header's RATE, taken as samples per second."""
        return self.header["rate"]

    @property
    def time_unit(self):
        """"s" where RATE is a positive finite number, else "sample": the
        unit of times."""
        return _time_axis.unit(self.rate)

    @property
    def times(self):
        """The time of every sample as a new float64 array: sample k at
        k / RATE seconds (numpy.arange(len(rec)) / rec.rate). Where RATE is
        0, negative, infinite or NaN it gives no time scale, and the times
        are the sample numbers 0.0, 1.0, 2.0, ... (time_unit "sample")."""
        return _time_axis.times(self.rate, 0, len(self.samples))

    def to_series(self):
        """The samples as a pandas.Series named after the record ("T0"),
        indexed by times (an index named "time" in seconds, or "sample").
        The Series holds the read-only view rec.samples, not a copy, where
        pandas allows: series.copy() gives values that can be changed."""
        import pandas as pd  # only when asked for: pandas is optional

        index = pd.Index(self.times, name="time" if self.time_unit == "s" else "sample")
        return pd.Series(self.samples, index=index, name=self.name, copy=False)

    def __reduce__(self):
        # A record travels as its place, (path, kind, number, verify flag),
        # never as its samples: the process that unpickles it (a Dask
        # worker) maps the file again, checked as it was first opened.
        source = getattr(self, "_source", None)
        if source is None:
            raise TypeError(f"cannot pickle {self.name}: it was not read from a pulse file")
        path, verify = source
        return _reopen_record, (os.path.abspath(path), self.kind, self.number, verify)

    def __repr__(self):
        return f"<orvane.Record {self.name} offset={self.offset} samples={len(self.samples)} {self.samples.dtype.str}>"


class Records(collections.abc.Sequence):
    """The records of one kind of an open pulse file, in table order."""

    __slots__ = ("_file", "_kind", "_count")

    def __init__(self, file, kind):
        self._file = file
        self._kind = _headers.KINDS[kind]
        self._count = file._mapping.count(kind)

    @property
    def kind(self):
        return self._kind.name

    def __len__(self):
        return self._count

    def __getitem__(self, n):
        if isinstance(n, slice):
            return [self[k] for k in range(*n.indices(self._count))]
        try:
            n = operator.index(n)  # integers only, as a list takes them
        except TypeError:
            raise TypeError(f"record indices must be integers or slices, not {type(n).__name__}") from None
        if n < 0:
            n += self._count
        if not 0 <= n < self._count:
            raise IndexError(f"{self._kind.name} record {n} out of range ({self._count} records)")
        mapping = self._file._live()
        letter = self._kind.name
        raw = mapping.record_header(letter, n)
        offset, _, complete, _ = mapping.record_info(letter, n)
        header = _headers.Header(self._kind, raw.ljust(self._kind.size, b"\0"))
        record = Record(letter, n, header, mapping.samples(letter, n), offset, complete)
        record._source = (self._file.path, self._file._verify)  # for pickling
        return record

    def headers(self):
        """Every header of this kind as one numpy structured array, a copy
        in one call: one field per label (RS words as rs0, rs1, ...), text
        fields as str read as rec.header reads them (latin-1, up to the
        first NUL). pandas.DataFrame(f.t.headers()) takes it as it is."""
        raw = self._file._live().headers(self._kind.name)
        return _headers.table(self._kind, raw.view(self._kind.dtype).reshape(len(raw)))

    def __repr__(self):
        return f"<orvane.Records {self._kind.name}: {self._count}>"


class PulseFile:
    """A pulse file open for reading; use it as a context manager.

    Arrays handed out stay valid after close(): the mapping is released when
    the last array that points into it is gone.
    """

    def __init__(self, mapping, path, verify=True):
        self._mapping = mapping
        self.path = path
        self.size = mapping.length  # bytes
        self._verify = verify
        self._problems = [] if verify else None  # a verified file has none
        raw = mapping.header_bytes()
        self.header = _headers.Header(_headers.FILE, raw.ljust(_headers.FILE.size, b"\0"))
        self.t = Records(self, "T")
        self.r = Records(self, "R")
        self.i = Records(self, "I")

    @property
    def closed(self):
        return self._mapping is None

    @property
    def problems(self):
        """What is wrong with the file, as Problem tuples in the order met;
        [] for a file opened with verify=True. A file opened with
        verify=False is summed on the first look (one pass over it)."""
        if self._problems is None:
            self._problems = [Problem(*p) for p in self._live().problems()]
        return self._problems

    def _live(self):
        if self._mapping is None:
            raise ValueError("I/O operation on a closed pulse file")
        return self._mapping

    def records(self):
        """Every record in table order: T records, then R, then I."""
        return [*self.t, *self.r, *self.i]

    def to_xarray(self):
        """The file as an xarray.Dataset, its samples not copied: one
        variable per record (T0, T1, ..., R0, ..., I0, ...), each a view of
        rec.samples over a dimension of its own (T0_time, ...). Each
        dimension's coordinate is the record's times, computed only for the
        part that is read (units "s", or "sample" where RATE gives no time
        scale) and not indexed: ds.set_xindex("T0_time") indexes one for
        .sel by time. A record's header fields are its variable's
        attributes and the file header's the Dataset's, by lower-case
        label: numbers as numpy scalars of their stored type, text as str,
        rs as an array (a text field with bytes after its NUL also gives
        all 80 as desc_raw, for the way back, orvane.from_xarray). Needs
        xarray (python3-xarray)."""
        from . import _xarray  # xarray is imported on first use only

        return _xarray.dataset(self)

    def close(self):
        """Lets go of the mapping; arrays handed out keep it alive."""
        self._mapping = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __reduce__(self):
        # A file travels as (path, verify flag, closed): unpickled, it is
        # mapped and checked again as it was opened; a closed one comes
        # back closed, with its header and sizes read again. The path is
        # made absolute here, where it was given, for workers elsewhere.
        return _reopen_file, (os.path.abspath(self.path), self._verify, self.closed)

    def __repr__(self):
        state = "closed" if self.closed else f"T {len(self.t)}, R {len(self.r)}, I {len(self.i)}"
        return f"<orvane.PulseFile {self.path!r} {state}>"


def open(path, verify=True):  # noqa: A001 - orvane.open, like io.open
    """Opens a pulse file read-only through a memory mapping.

    The file is checked once: magic number, checksum, the offset table and
    every record header and its samples inside the file. A file that fails
    raises FormatError (ChecksumError for the checksum) and one the system
    cannot read raises OSError.

    With verify=False the file is trusted: only what keeps every array
    inside the mapping is checked (the header, the offset table and each
    record's extent), never the checksum, so that opening a file of any
    size costs microseconds. A damaged file is opened as far as it goes;
    f.problems sums the file on its first use and lists what is wrong.
    """
    path = os.fspath(path)
    mapping, outcome = _orvane.open_mapping(os.fsencode(path), bool(verify))
    if mapping is None:
        raise _errors.open_error(_errors.Outcome(*outcome))
    return PulseFile(mapping, path, bool(verify))


def _reopen_file(path, verify, closed=False):
    """Unpickles a PulseFile: the file opened again, as it is now."""
    f = open(path, verify)
    if closed:
        f.close()
    return f


def _reopen_record(path, kind, number, verify):
    """Unpickles a Record: its file opened again and let go of at once; the
    record's samples keep the mapping alive as long as they are used."""
    with open(path, verify) as f:
        return {"T": f.t, "R": f.r, "I": f.i}[kind][number]
