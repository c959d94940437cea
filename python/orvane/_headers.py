"""The four fixed headers of a pulse file (file, T, R, I) as numpy dtypes and
as read-only mappings of their fields by lower-case label."""

import collections.abc
import operator

import numpy as np

from . import _orvane

MAGIC = _orvane.MAGIC
TEXT_SIZE = _orvane.TEXT_FIELD_SIZE

# The numpy dtype of each way the engine stores a field.
_DTYPES = {"Text80": f"S{TEXT_SIZE}", "UInt32": "<u4", "Int32": "<i4", "UInt16": "<u2", "Real32": "<f4"}


def _fields(kind):
    """(label, dtype, offset) of every field of a header kind as the engine
    describes it, in the order of the header text lines, labels in lower
    case; RS words are listed one by one as rs0, rs1, ..."""
    return [(label.lower(), _DTYPES[stored], offset) for label, offset, stored in _orvane.header_fields(kind)]


class _Kind:
    """What sets one header apart: its size, fields and samples."""

    def __init__(self, name):
        self.name = name
        self.size = _orvane.header_size(name)
        self.fields = _fields(name)
        self.sample_dtype = None if name == "file" else np.dtype(_orvane.sample_dtype(name))
        # The structured dtype of headers(): one field per label, RS words
        # apart (rs0, rs1, ...), so that pandas takes it as it is.
        self.dtype = np.dtype(
            {
                "names": [f[0] for f in self.fields],
                "formats": [f[1] for f in self.fields],
                "offsets": [f[2] for f in self.fields],
                "itemsize": self.size,
            }
        )
        rs = [f for f in self.fields if f[0].startswith("rs")]
        self.rs_count = len(rs)
        self.rs_dtype = rs[0][1]
        self.rs_offset = rs[0][2]
        self.labels = tuple(f[0] for f in self.fields if not f[0].startswith("rs")) + ("rs",)
        self.by_label = {f[0]: f for f in self.fields}
        self.text_labels = tuple(f[0] for f in self.fields if f[1] == _DTYPES["Text80"])
        # The dtype of headers(): the same fields one after another, text
        # fields as str, as a Header gives them.
        self.table_dtype = np.dtype(
            [(f[0], f"U{TEXT_SIZE}" if f[0] in self.text_labels else f[1]) for f in self.fields]
        )


FILE = _Kind("file")
T = _Kind("T")
R = _Kind("R")
I = _Kind("I")  # noqa: E741 - the record kind's letter
KINDS = {"file": FILE, "T": T, "R": R, "I": I}


def _text(raw):
    return raw.split(b"\0", 1)[0].decode("latin-1")


def table(kind, stored):
    """Headers as stored (an array of kind.dtype) as the table headers()
    gives: text fields decoded as _text decodes them, the rest as stored."""
    out = np.empty(len(stored), kind.table_dtype)
    for label in kind.table_dtype.names:
        column = stored[label]
        if label in kind.text_labels:
            column = [_text(raw) for raw in column.tolist()]
        out[label] = column
    return out


class Header(collections.abc.Mapping):
    """A header's fields by lower-case label, read-only.

    Text fields are str, each byte one character (latin-1), up to the first
    NUL; raw_field(label) gives their 80 bytes as stored. rs is a tuple of
    the RS words. raw is the whole header as stored. replace(...) gives a
    new header with some fields changed.
    """

    __slots__ = ("_kind", "_raw")

    def __init__(self, kind, raw=None, **fields):
        kind = KINDS[kind] if isinstance(kind, str) else kind
        if raw is None:
            raw = bytes(kind.size)
        raw = bytes(raw)
        if len(raw) != kind.size:
            raise ValueError(f"a {kind.name} header has {kind.size} bytes, not {len(raw)}")
        object.__setattr__(self, "_kind", kind)
        object.__setattr__(self, "_raw", encode(kind, raw, fields) if fields else raw)

    @property
    def kind(self):
        """'file', 'T', 'R' or 'I'."""
        return self._kind.name

    @property
    def raw(self):
        """The header's bytes as stored in the file."""
        return self._raw

    def raw_field(self, label):
        """The stored bytes of one field (80 for a text field)."""
        if label == "rs":
            k = self._kind
            return self._raw[k.rs_offset : k.rs_offset + 4 * k.rs_count]
        _, fmt, offset = self._field(label)
        return self._raw[offset : offset + np.dtype(fmt).itemsize]

    def replace(self, **fields):
        """A copy with the given fields changed."""
        return Header(self._kind, self._raw, **fields)

    def _field(self, label):
        try:
            return self._kind.by_label[label]
        except KeyError:
            raise KeyError(f"a {self._kind.name} header has no field {label!r}") from None

    def __getitem__(self, label):
        if label == "rs":
            k = self._kind
            return tuple(np.frombuffer(self._raw, k.rs_dtype, k.rs_count, k.rs_offset).tolist())
        if not isinstance(label, str):
            raise KeyError(label)
        _, fmt, offset = self._field(label)
        if fmt == _DTYPES["Text80"]:
            return _text(self._raw[offset : offset + TEXT_SIZE])
        return np.frombuffer(self._raw, fmt, 1, offset)[0].item()

    def __getattr__(self, label):
        try:
            return self[label]
        except KeyError:
            raise AttributeError(label) from None

    def __setattr__(self, name, value):
        raise AttributeError("a Header is read-only; use replace()")

    def __iter__(self):
        return iter(self._kind.labels)

    def __len__(self):
        return len(self._kind.labels)

    def __eq__(self, other):
        if isinstance(other, Header):
            return self._kind is other._kind and self._raw == other._raw
        return super().__eq__(other)

    __hash__ = None

    def __repr__(self):
        return f"Header({self._kind.name!r}, {dict(self)!r})"

    def __reduce__(self):
        return (Header, (self._kind.name, self._raw))


def _encode_int(label, fmt, value):
    try:
        number = operator.index(value)
    except TypeError:
        raise TypeError(f"{label} must be an integer, not {type(value).__name__}") from None
    low, high = int(np.iinfo(fmt).min), int(np.iinfo(fmt).max)
    if not low <= number <= high:
        raise OverflowError(f"{label} = {number} is outside {low}..{high}")
    return np.array(number, fmt).tobytes()


def _encode_real(label, value):
    if isinstance(value, (str, bytes)) or not isinstance(value, (int, float, np.floating, np.integer)):
        raise TypeError(f"{label} must be a real number, not {type(value).__name__}")
    return np.array(value, _DTYPES["Real32"]).tobytes()


def _encode_text(label, value):
    if isinstance(value, str):
        try:
            value = value.encode("latin-1")
        except UnicodeEncodeError:
            raise ValueError(f"{label} holds a character outside latin-1") from None
    elif not isinstance(value, (bytes, bytearray)):
        raise TypeError(f"{label} must be str or bytes, not {type(value).__name__}")
    if len(value) > TEXT_SIZE:
        raise ValueError(f"{label} has {len(value)} characters, at most {TEXT_SIZE} fit")
    return bytes(value).ljust(TEXT_SIZE, b"\0")


def _encode_rs(kind, value):
    words = list(value)
    if len(words) != kind.rs_count:
        raise ValueError(f"rs of a {kind.name} header has {kind.rs_count} words, not {len(words)}")
    return b"".join(_encode_int(f"rs{k}", kind.rs_dtype, w) for k, w in enumerate(words))


def encode(kind, raw, fields):
    """raw (bytes of a header of kind) with fields (label: value) stored."""
    out = bytearray(raw)
    for label, value in fields.items():
        if label == "rs":
            data, offset = _encode_rs(kind, value), kind.rs_offset
        else:
            if label not in kind.by_label:
                raise KeyError(f"a {kind.name} header has no field {label!r}")
            _, fmt, offset = kind.by_label[label]
            if fmt == _DTYPES["Text80"]:
                data = _encode_text(label, value)
            elif fmt == _DTYPES["Real32"]:
                data = _encode_real(label, value)
            else:
                data = _encode_int(label, fmt, value)
        out[offset : offset + len(data)] = data
    return bytes(out)


def header_bytes(kind, header):
    """The bytes of a header given as a Header, a mapping of fields, or None."""
    if header is None:
        return bytes(kind.size)
    if isinstance(header, Header):
        if header._kind is not kind:
            raise TypeError(f"a {header.kind} header given where a {kind.name} header belongs")
        return header.raw
    if isinstance(header, collections.abc.Mapping):
        return encode(kind, bytes(kind.size), dict(header))
    raise TypeError(f"a {kind.name} header must be an orvane.Header, a mapping of fields or None")
