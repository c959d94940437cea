"""Reading pulse files: headers, records and samples as views into the
mapping, compared with what orvane-cli shows of the same files."""

import re

import numpy as np
import pytest

import orvane
from conftest import GOLDEN_CASES, GOLDEN_DIR


def cli_records(cli, path):
    """The record lines of orvane-cli info: kind, number, offset, SIZE. The
    header fields are checked field by field in test_header_fields."""
    text = cli("info", path).stdout.decode("latin-1")
    records = []
    for line in text.splitlines():
        m = re.match(r"^([TRI])\s+(\d+)\s+(\d+)\s+(-?\d+)", line)
        if m:
            records.append((m.group(1), int(m.group(2)), int(m.group(3)), int(m.group(4))))
    return records


@pytest.mark.parametrize("case", GOLDEN_CASES)
def test_records_agree_with_the_command_line(cli, case):
    path = GOLDEN_DIR / case / "data.spf"
    records = cli_records(cli, path)
    with orvane.open(path) as f:
        assert f.header["magc"] == orvane.MAGIC
        mine = [(rec.kind, rec.number, rec.offset, rec.header["size"]) for rec in f.records()]
        assert mine == records
        for rec in f.records():
            assert rec.complete
            want = "<f4" if rec.kind == "R" else "<i2"
            assert rec.samples.dtype == np.dtype(want)
            assert len(rec.samples) == max(rec.header["size"], 0)


@pytest.mark.parametrize("case", GOLDEN_CASES)
def test_samples_are_the_bytes_after_each_record_header(case):
    path = GOLDEN_DIR / case / "data.spf"
    data = path.read_bytes()
    with orvane.open(path) as f:
        for rec in f.records():
            start = rec.offset + len(rec.header.raw)
            assert rec.header.raw == data[rec.offset : start]
            assert rec.samples.tobytes() == data[start : start + rec.samples.nbytes]


def test_samples_are_read_only_views_into_the_mapping(make_file):
    path, _ = make_file()
    with orvane.open(path) as f:
        a = f.t[0].samples
        b = f.t[0].samples
        assert not a.flags.writeable and not a.flags.owndata
        assert np.shares_memory(a, b)  # both point into the one mapping
        with pytest.raises(ValueError):
            a[0] = 1
        with pytest.raises(ValueError):
            a.setflags(write=True)


def test_headers_table_matches_every_record_header(make_file):
    path, records = make_file(t=7, r=4, i=5)
    with orvane.open(path) as f:
        for kind, seq in (("T", f.t), ("R", f.r), ("I", f.i)):
            table = seq.headers()
            stored = orvane.dtypes[kind]
            assert table.dtype.names == stored.names and table.shape == (len(seq),)
            for n, rec in enumerate(seq):
                row = table[n]
                for label in rec.header:
                    if label == "rs":
                        assert tuple(int(row[f"rs{k}"]) for k in range(len(rec.header["rs"]))) == rec.header["rs"]
                    else:  # text as str, as the record's header gives it
                        assert row[label] == rec.header[label], label
            # Every field but the text exactly as stored.
            raw = np.frombuffer(b"".join(rec.header.raw for rec in seq), stored)
            for label in stored.names:
                if stored[label].kind != "S":
                    assert table[label].dtype == stored[label] and table[label].tobytes() == raw[label].tobytes()


def test_records_index_like_sequences(make_file):
    path, records = make_file(t=4, r=0, i=1)
    with orvane.open(path) as f:
        assert len(f.t) == 4 and len(f.r) == 0 and len(f.i) == 1
        assert f.t[-1].number == 3
        assert [r.number for r in f.t[1:3]] == [1, 2]
        with pytest.raises(IndexError):
            f.t[4]
        with pytest.raises(IndexError):
            f.r[0]
        assert [r.name for r in f.records()] == ["T0", "T1", "T2", "T3", "I0"]


def test_text_fields_are_latin1_strings_with_the_raw_bytes_at_hand(tmp_path):
    raw_desc = bytes(range(0xA0, 0xA0 + 20)) + b"\0garbage after the NUL"
    header = orvane.Header("file", desc=raw_desc)
    path = tmp_path / "text.spf"
    orvane.write(path, header)
    with orvane.open(path) as f:
        assert f.header["desc"] == bytes(range(0xA0, 0xB4)).decode("latin-1")
        assert f.header.raw_field("desc") == raw_desc.ljust(80, b"\0")
        assert f.header.desc == f.header["desc"]
        assert f.header.raw[4:84] == raw_desc.ljust(80, b"\0")


def test_header_is_a_read_only_mapping_of_every_label(make_file):
    path, _ = make_file()
    with orvane.open(path) as f:
        labels = list(f.header)
        assert labels[:3] == ["magc", "desc", "subs"] and labels[-1] == "rs" and "mxpr" in labels
        assert list(f.t[0].header) == ["desc", "chan", "rate", "offs", "gain", "type", "size", "fhz0", "fhzn", "rs"]
        assert "pfdf" in f.r[0].header and len(f.i[0].header["rs"]) == 8
        with pytest.raises(AttributeError):
            f.header.desc = "x"
        with pytest.raises(KeyError):
            f.header["nope"]
        changed = f.header.replace(desc="new")
        assert changed["desc"] == "new" and f.header["desc"] == "generated"
