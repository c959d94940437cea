"""orvane-cli repair and salvage, and orvane.repair and orvane.salvage: the
new file's bytes and records against the damaged input as this test reads
it, the input never changed, and no output written over the input."""

import hashlib
import json
import os
import struct

import numpy as np
import pytest

import orvane


def _digest(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def _word_sum(data):
    even = data[: len(data) // 2 * 2]
    return int(np.frombuffer(even, "<u2").sum(dtype=np.uint64) % 65536)


@pytest.fixture
def damaged(tmp_path):
    """A valid file and a copy with one sample byte flipped (its checksum
    wrong, its structure sound)."""
    good = tmp_path / "good.spf"
    rng = np.random.default_rng(3)
    orvane.write(
        good,
        {"desc": "damaged"},
        t=[(None, rng.integers(-9, 9, 7).astype("<i2")), (None, rng.integers(-9, 9, 4).astype("<i2"))],
        r=[(None, rng.standard_normal(5).astype("<f4"))],
    )
    data = bytearray(good.read_bytes())
    data[700] ^= 0x40
    bad = tmp_path / "bad.spf"
    bad.write_bytes(bytes(data))
    return good, bad


class TestRepair:
    @pytest.mark.parametrize("front", ["cli", "python"])
    def test_reseals_with_one_word_and_keeps_every_byte(self, cli, damaged, tmp_path, front):
        _, bad = damaged
        before = _digest(bad)
        out = tmp_path / "fixed.spf"
        if front == "cli":
            report = json.loads(cli("repair", "--json", bad, "-o", out).stdout)
        else:
            report = orvane.repair(bad, out)
        data, fixed = bad.read_bytes(), out.read_bytes()
        assert fixed[: len(data)] == data and len(fixed) == len(data) + 2
        assert _word_sum(fixed) == 0 and _word_sum(data) == report["sum"] != 0
        assert report["appended"] == 2 and report["length"] == len(fixed)
        assert [p["code"] for p in report["problems"]] == ["checksum_error"]
        assert _digest(bad) == before
        assert cli("check", out).returncode == 0

    def test_text_report_and_a_valid_file_copied_unchanged(self, cli, damaged, tmp_path):
        good, bad = damaged
        out = tmp_path / "fixed.spf"
        text = cli("repair", bad, "-o", out).stdout.decode()
        sum_ = _word_sum(bad.read_bytes())
        assert text == f"{bad}: checksum error:  {sum_:X}\n{bad}: resealed as {out}: 2 bytes appended\n"
        copy = tmp_path / "copy.spf"
        assert orvane.repair(good, copy) == {"problems": [], "sum": 0, "appended": 0, "length": good.stat().st_size}
        assert copy.read_bytes() == good.read_bytes()

    def test_odd_length_takes_three_bytes(self, damaged, tmp_path):
        _, bad = damaged
        odd = tmp_path / "odd.spf"
        odd.write_bytes(bad.read_bytes() + b"\x7f")
        out = tmp_path / "even.spf"
        assert orvane.repair(odd, out)["appended"] == 3
        assert _word_sum(out.read_bytes()) == 0 and orvane.validate(out) is True

    def test_an_unsound_structure_is_refused_without_writing(self, cli, damaged, tmp_path):
        good, _ = damaged
        cut = tmp_path / "cut.spf"
        cut.write_bytes(good.read_bytes()[:-7])
        out = tmp_path / "x.spf"
        run = cli("repair", cut, "-o", out, check=False)
        assert run.returncode == 1 and not out.exists()
        assert b"lies outside the file" in run.stderr or b"end past the end of the file" in run.stderr
        assert b"salvage" in run.stderr
        with pytest.raises(orvane.FormatError):
            orvane.repair(cut, out)


class TestSalvage:
    def test_every_whole_record_is_kept_with_its_bytes(self, cli, tmp_path):
        rng = np.random.default_rng(5)
        t = [(None, rng.integers(-99, 99, n).astype("<i2")) for n in (5, 8, 3)]
        r = [(None, rng.standard_normal(n).astype("<f4")) for n in (4, 6)]
        i = [(None, rng.integers(0, 99, n).astype("<i2")) for n in (2, 9)]
        whole = tmp_path / "whole.spf"
        orvane.write(whole, {"desc": "kept header", "subs": 77}, t=t, r=r, i=i)
        data = whole.read_bytes()
        with orvane.open(whole) as f:
            last = f.i[1]
            cut_at = last.offset + orvane.dtypes["I"].itemsize + 5  # inside I1's samples
        cut = tmp_path / "cut.spf"
        cut.write_bytes(data[:cut_at])
        before = _digest(cut)
        out = tmp_path / "kept.spf"
        report = json.loads(cli("salvage", "--json", cut, "-o", out).stdout)
        assert _digest(cut) == before
        assert [k["record"] for k in report["kept"]] == ["T0", "T1", "T2", "R0", "R1", "I0"]
        assert [(d["record"], d["entry"], d["offset"]) for d in report["dropped"]] == [("I1", 6, last.offset)]
        assert "I1" in report["dropped"][0]["reason"]
        assert report["length"] == out.stat().st_size
        with orvane.open(out) as f:
            assert f.header["desc"] == "kept header" and f.header["subs"] == 77
            got = [np.asarray(rec).copy() for rec in f.records()]
        expected = [s for _, s in t + r + i[:1]]
        assert all(np.array_equal(a, b) for a, b in zip(got, expected)) and len(got) == len(expected)

    def test_records_after_a_dropped_one_move_up(self, cli, tmp_path):
        path = tmp_path / "holes.spf"
        orvane.write(path, None, t=[(None, np.arange(n, dtype="<i2")) for n in (2, 3, 4)])
        data = bytearray(path.read_bytes())
        struct.pack_into("<I", data, 316 + 4, len(data) + 100)  # T1's entry points past the end
        path.write_bytes(bytes(data))
        out = tmp_path / "out.spf"
        text = cli("salvage", path, "-o", out).stdout.decode()
        assert f"{path}: dropped T1 (table entry 1, offset {len(data) + 100}): Record T1 lies outside the file\n" in text
        assert f"{path}: kept T2 as T1\n" in text
        assert text.endswith(f"{path}: salvaged 2 of 3 records into {out}\n")
        report = orvane.salvage(path, tmp_path / "again.spf")
        assert [(k["record"], k["as"], k["samples"]) for k in report["kept"]] == [("T0", "T0", 2), ("T2", "T1", 4)]

    def test_any_truncation_salvages_to_a_valid_file(self, cli, make_file, tmp_path):
        path, _ = make_file("src.spf", t=3, r=3, i=3, max_samples=12)
        data = path.read_bytes()
        table_end = 316 + 4 * 9
        for length in range(table_end, len(data), 7):
            cut = tmp_path / "cut.spf"
            cut.write_bytes(data[:length])
            out = tmp_path / "out.spf"
            report = orvane.salvage(cut, out)
            assert orvane.validate(out) is True, length
            assert len(report["kept"]) + len(report["dropped"]) == 9

    def test_a_file_without_its_header_or_magic_is_refused(self, cli, make_file, tmp_path):
        path, _ = make_file()
        short = tmp_path / "short.spf"
        short.write_bytes(path.read_bytes()[:100])
        run = cli("salvage", short, "-o", tmp_path / "x.spf", check=False)
        assert run.returncode == 1 and b"Binary read error" in run.stderr and b"nothing of it" in run.stderr
        foreign = tmp_path / "foreign.spf"
        foreign.write_bytes(b"\0" * 4 + path.read_bytes()[4:])
        with pytest.raises(orvane.FormatError, match="Invalid magic number"):
            orvane.salvage(foreign, tmp_path / "x.spf")
        assert not (tmp_path / "x.spf").exists()


@pytest.mark.parametrize("command", ["repair", "salvage"])
def test_never_writes_over_its_input(cli, damaged, tmp_path, command):
    _, bad = damaged
    before = _digest(bad)
    link = tmp_path / "link.spf"
    link.symlink_to(bad)
    hard = tmp_path / "hard.spf"
    os.link(bad, hard)
    for out in (bad, link, hard, tmp_path / "." / "bad.spf"):
        run = cli(command, bad, "-o", out, check=False)
        assert run.returncode == 1
        assert b"it is the file being mended" in run.stderr
        with pytest.raises(orvane.ConversionError, match="being mended"):
            getattr(orvane, command)(bad, out)
    assert _digest(bad) == before
    usage = cli(command, bad, check=False)
    assert usage.returncode == 2 and b"needs -o OUT" in usage.stderr
