"""Pulse files opened read-only through a memory mapping: the header, the
records and their samples as numpy arrays that point into the mapping."""

import collections.abc
import operator
import os

import numpy as np

from . import _errors, _headers, _orvane


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

    __slots__ = ("kind", "number", "header", "samples", "offset", "complete")

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
        return Record(letter, n, header, mapping.samples(letter, n), offset, complete)

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

    def __init__(self, mapping, path, problems):
        self._mapping = mapping
        self.path = path
        self.size = mapping.length  # bytes
        self.problems = problems
        raw = mapping.header_bytes()
        self.header = _headers.Header(_headers.FILE, raw.ljust(_headers.FILE.size, b"\0"))
        self.t = Records(self, "T")
        self.r = Records(self, "R")
        self.i = Records(self, "I")

    @property
    def closed(self):
        return self._mapping is None

    def _live(self):
        if self._mapping is None:
            raise ValueError("I/O operation on a closed pulse file")
        return self._mapping

    def records(self):
        """Every record in table order: T records, then R, then I."""
        return [*self.t, *self.r, *self.i]

    def close(self):
        """Lets go of the mapping; arrays handed out keep it alive."""
        self._mapping = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __repr__(self):
        state = "closed" if self.closed else f"T {len(self.t)}, R {len(self.r)}, I {len(self.i)}"
        return f"<orvane.PulseFile {self.path!r} {state}>"


def open(path, verify=True):  # noqa: A001 - orvane.open, like io.open
    """Opens a pulse file read-only through a memory mapping.

    The file is checked once: magic number, checksum, the offset table and
    every record header and its samples inside the file. A file that fails
    raises FormatError (ChecksumError for the checksum) and one the system
    cannot read raises OSError. With verify=False a damaged file is opened as
    far as it goes and f.problems lists what is wrong.
    """
    path = os.fspath(path)
    mapping, outcome = _orvane.open_mapping(os.fsencode(path), bool(verify))
    if mapping is None:
        raise _errors.open_error(_errors.Outcome(*outcome))
    problems = [Problem(*p) for p in mapping.problems()]
    return PulseFile(mapping, path, problems)
