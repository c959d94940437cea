"""The package's header fields are the engine's: the extension's description,
orvane.dtypes and orvane.Header agree field by field, and every field read
at its offset from a known-good file holds what that file's labelled text
export shows under the field's label."""

import numpy as np
import pytest

import orvane
from orvane import _headers, _orvane
from conftest import GOLDEN_CASES, GOLDEN_DIR

KINDS = ("file", "T", "R", "I")
# How each storage type the engine names reads as numpy.
STORED = {"Text80": "S80", "UInt32": "<u4", "Int32": "<i4", "UInt16": "<u2", "Real32": "<f4"}


@pytest.mark.parametrize("kind", KINDS)
def test_dtypes_and_headers_follow_the_engines_description(kind):
    fields = _orvane.header_fields(kind)
    dtype = orvane.dtypes[kind]
    assert dtype.names == tuple(label.lower() for label, _, _ in fields)
    for label, offset, stored in fields:
        format_, at = dtype.fields[label.lower()]
        assert (at, format_) == (offset, np.dtype(STORED[stored])), label
    assert dtype.itemsize == _orvane.header_size(kind)

    header = orvane.Header(kind)
    rs = [label for label, _, _ in fields if label.startswith("RS")]
    assert list(header) == [label.lower() for label, _, _ in fields if label not in rs] + ["rs"]
    assert len(header["rs"]) == len(rs) and len(header.raw) == dtype.itemsize
    if kind != "file":
        want = np.dtype("<f4" if kind == "R" else "<i2")
        assert _headers.KINDS[kind].sample_dtype == np.dtype(_orvane.sample_dtype(kind)) == want


def labelled_header(path):
    """(label, text) of the header lines of a labelled text file, labels
    without their blanks ("PID " is PID, "RS 0" is RS0), in file order."""
    out = []
    for line in path.read_text("latin-1").splitlines():
        if line[4:6] not in (": ", ":"):
            break  # the first sample line
        out.append((line[:4].replace(" ", ""), line[6:]))
    return out


def shown(value, stored, label):
    """A field's value as the labelled export writes it."""
    if stored == "Text80":
        return value.split(b"\0", 1)[0].decode("latin-1")
    if stored == "Real32":
        return f"{float(value):f}"
    if label == "MAGC":
        return f"{int(value):X}"
    return int(value)


def as_read(text, stored, label):
    if stored in ("Text80", "Real32") or label == "MAGC":
        return text
    # A 32-bit field may be written signed where it is stored unsigned (CHAN).
    number = int(text)
    return number % 2**32 if stored == "UInt32" else number


@pytest.mark.parametrize("case", GOLDEN_CASES)
def test_every_field_at_its_offset_holds_what_the_labelled_export_shows(case):
    with orvane.open(GOLDEN_DIR / case / "data.spf") as f:
        headers = [("file", f.header, GOLDEN_DIR / case / "labelled" / "data.pfh")]
        headers += [(rec.kind, rec.header, GOLDEN_DIR / case / "labelled" / f"data.{rec.name}")
                    for rec in f.records()]
    for kind, header, text_file in headers:
        fields = _orvane.header_fields(kind)
        lines = labelled_header(text_file)
        assert [label for label, _ in lines] == [label for label, _, _ in fields], text_file.name
        row = np.frombuffer(header.raw, orvane.dtypes[kind])[0]
        rs = iter(header["rs"])
        for (label, _, stored), (_, text) in zip(fields, lines):
            want = as_read(text, stored, label)
            assert shown(row[label.lower()], stored, label) == want, f"{text_file.name} {label}"
            # The same field through the Header mapping, as users read it.
            mapped = next(rs) if label.startswith("RS") else header[label.lower()]
            if stored == "Text80":
                mapped = mapped.encode("latin-1")
            assert shown(mapped, stored, label) == want, f"{text_file.name} {label} through Header"
