"""Open files and records pickle as where they lie, not as their samples:
unpickled, the file is mapped again and checked as it was first opened."""

import os
import pickle
import re

import numpy as np
import pytest

import orvane


def damage_samples(path):
    """Flips a byte of T0's first sample: the checksum fails, the layout holds."""
    with orvane.open(path) as f:
        at = f.t[0].offset + orvane.dtypes["T"].itemsize
    with open(path, "r+b") as out:
        out.seek(at)
        byte = out.read(1)[0]
        out.seek(at)
        out.write(bytes([byte ^ 0x40]))


def round_trip(obj):
    return pickle.loads(pickle.dumps(obj))


def test_a_file_comes_back_open_with_its_header_and_records(make_file):
    path, records = make_file(t=3, r=2, i=2, max_samples=5000)
    with orvane.open(path) as f:
        data = pickle.dumps(f)
        back = pickle.loads(data)
        assert len(data) < 1000  # the path, not the samples
        assert not back.closed and back.path == str(path) and back.size == f.size
        assert back.header.raw == f.header.raw
        assert [r.name for r in back.records()] == [r.name for r in f.records()]
        for kind in "TRI":
            for rec, (_, samples) in zip({"T": back.t, "R": back.r, "I": back.i}[kind], records[kind]):
                np.testing.assert_array_equal(rec.samples, samples)
                assert not rec.samples.flags.writeable  # a view of the new mapping
        back.close()


def test_a_closed_file_comes_back_closed(make_file):
    path, _ = make_file()
    f = orvane.open(path)
    f.close()
    back = round_trip(f)
    assert back.closed and back.header.raw == f.header.raw and back.size == f.size
    with pytest.raises(ValueError, match="closed pulse file"):
        back.t[0]


def test_a_record_comes_back_as_the_same_record_of_its_file(make_file):
    path, records = make_file(t=2, r=2, i=2, max_samples=5000)
    with orvane.open(path) as f:
        recs = [f.t[0], f.r[1], f.i[0], f.t[1]]
    for rec in recs:
        data = pickle.dumps(rec)
        assert len(data) < 1000
        back = pickle.loads(data)
        assert (back.name, back.offset, back.complete) == (rec.name, rec.offset, rec.complete)
        assert back.header.raw == rec.header.raw and back.samples.dtype == rec.samples.dtype
        np.testing.assert_array_equal(back.samples, records[rec.kind][rec.number][1])
    # A record built by hand has no file to be found again.
    loose = orvane.Record("T", 0, None, np.zeros(3, "<i2"), 0, True)
    with pytest.raises(TypeError, match="T0"):
        pickle.dumps(loose)


def test_unpickling_checks_the_file_again_as_it_was_opened(make_file):
    path, _ = make_file(max_samples=200)
    checked, trusted = orvane.open(path), orvane.open(path, verify=False)
    file_data, record_data = pickle.dumps(checked), pickle.dumps(checked.t[0])
    trusted_file, trusted_record = pickle.dumps(trusted), pickle.dumps(trusted.t[0])
    before = np.array(checked.t[0].samples)
    damage_samples(path)
    for data in (file_data, record_data):
        with pytest.raises(orvane.ChecksumError, match=re.escape(str(path))):
            pickle.loads(data)
    # Opened without verifying, they open again without verifying, and read
    # the file as it is now.
    back = pickle.loads(trusted_file)
    assert [p.code for p in back.problems] == [orvane.Failure.CHECKSUM_ERROR]
    assert pickle.loads(trusted_record).samples[0] != before[0]
    assert round_trip(back)._verify is False


def test_a_relative_path_is_resolved_where_it_was_pickled(make_file, tmp_path, monkeypatch):
    path, _ = make_file(name="here.spf")
    monkeypatch.chdir(tmp_path)
    with orvane.open("here.spf") as f:
        file_data, record_data = pickle.dumps(f), pickle.dumps(f.t[0])
    monkeypatch.chdir("/")
    assert pickle.loads(file_data).path == str(path)
    np.testing.assert_array_equal(pickle.loads(record_data).samples, orvane.open(path).t[0].samples)


def test_a_name_that_is_not_utf8_survives(tmp_path):
    path = os.path.join(os.fsencode(tmp_path), b"raw\xff.spf")
    orvane.write(path, None, t=[(None, np.arange(7, dtype="<i2"))])
    with orvane.open(path) as f:
        back_file, back_record = round_trip(f), round_trip(f.t[0])
    assert back_file.path == path
    np.testing.assert_array_equal(back_record.samples, np.arange(7))


def test_a_file_gone_before_unpickling_raises_naming_it(make_file):
    path, _ = make_file()
    with orvane.open(path) as f:
        data = pickle.dumps(f.t[0])
    path.unlink()
    with pytest.raises(FileNotFoundError) as caught:
        pickle.loads(data)
    assert caught.value.filename == str(path)
