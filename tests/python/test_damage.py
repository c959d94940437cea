"""Damaged and foreign files: every truncation and flipped byte is a clear
FormatError, never a crash; verify=False opens what is left and lists what is
wrong."""

import numpy as np
import pytest

import orvane


@pytest.fixture
def sample(make_file):
    path, _ = make_file(t=2, r=1, i=1, max_samples=12)
    return path, path.read_bytes()


def test_every_truncation_is_a_format_error(sample, tmp_path):
    path, data = sample
    cut = tmp_path / "cut.spf"
    # Without its last byte alone a file may stay valid: a zero high byte of
    # the seal word, and an odd final byte is in no word.
    for length in range(len(data) - 1):
        cut.write_bytes(data[:length])
        with pytest.raises(orvane.FormatError) as err:
            orvane.open(cut)
        assert isinstance(err.value, ValueError) and isinstance(err.value, orvane.Error)
        assert str(cut) in str(err.value)
        assert orvane.validate(cut) is False


def test_every_flipped_byte_is_a_format_error(sample, tmp_path):
    path, data = sample
    bad = tmp_path / "bad.spf"
    for k in range(len(data)):
        flipped = bytearray(data)
        flipped[k] ^= 0x5A
        bad.write_bytes(bytes(flipped))
        with pytest.raises(orvane.FormatError):
            orvane.open(bad)


def test_a_wrong_checksum_is_a_checksum_error(sample, tmp_path):
    path, data = sample
    bad = tmp_path / "sum.spf"
    bad.write_bytes(data[:-2] + bytes([data[-2] ^ 1, data[-1]]))
    with pytest.raises(orvane.ChecksumError) as err:
        orvane.open(bad)
    assert err.value.code == orvane.Failure.CHECKSUM_ERROR
    assert "checksum error:  " in str(err.value)


def test_foreign_files_are_refused(tmp_path):
    for name, content in (("empty.spf", b""), ("text.spf", b"hello world\n" * 40), ("short.spf", b"\x53\x97")):
        p = tmp_path / name
        p.write_bytes(content)
        with pytest.raises(orvane.FormatError):
            orvane.open(p)


def test_salvage_lists_the_problems_and_opens_what_is_left(sample, tmp_path):
    path, data = sample
    cut = tmp_path / "cut.spf"
    with orvane.open(path) as f:
        keep = f.i[0].offset + 124 + 2  # the I record's header and one sample
        whole = f.i[0].samples.copy()
    cut.write_bytes(data[:keep])
    with pytest.raises(orvane.FormatError):
        orvane.open(cut)
    with orvane.open(cut, verify=False) as f:
        codes = [p.code for p in f.problems]
        assert orvane.Failure.CHECKSUM_ERROR in codes or orvane.Failure.SAMPLES_OUTSIDE_FILE in codes
        assert any(p.record == "I0" for p in f.problems)
        rec = f.i[0]
        assert not rec.complete
        np.testing.assert_array_equal(rec.samples, whole[:1])
        assert f.t[0].complete
    with orvane.open(path, verify=False) as f:
        assert f.problems == []
