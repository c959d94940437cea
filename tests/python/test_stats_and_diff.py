"""orvane.stats and orvane.diff, and orvane-cli stats/diff --json, against
figures numpy computes from the same samples."""

import json
import math
import os
import subprocess

import numpy as np
import pytest

import orvane

CLI = os.environ.get("ORVANE_CLI", "orvane-cli")


@pytest.fixture
def sample_file(tmp_path):
    """T, R and I records with the 16-bit limits, NaN and infinities, an
    empty record, and reals whose plain float32 sum loses digits."""
    rng = np.random.default_rng(7)
    t0 = rng.integers(-32768, 32768, 100_001).astype("<i2")
    t0[[0, 5, 99]] = -32768
    t0[[1, 7]] = 32767
    r0 = (rng.standard_normal(50_000) * 1e4 + 1e7).astype("<f4")
    r0[[3, 30]] = np.nan
    r0[10] = np.inf
    r0[11] = -np.inf
    r1 = np.array([np.nan, np.inf], "<f4")
    i0 = np.full(33, 32767, "<i2")
    path = tmp_path / "data.spf"
    orvane.write(path, None, t=[(None, t0), (None, np.array([], "<i2"))], r=[(None, r0), (None, r1)], i=[(None, i0)])
    return path, {"T0": t0, "T1": np.array([], "<i2"), "R0": r0, "R1": r1, "I0": i0}


def _expected(samples):
    if samples.dtype.kind == "i":
        wide = samples.astype(np.int64)
        finite = wide
    else:
        finite = samples[np.isfinite(samples)].astype(np.float64)
    figures = {"samples": len(samples)}
    if len(finite):
        figures.update(
            minimum=float(finite.min()),
            maximum=float(finite.max()),
            mean=float(np.mean(finite.astype(np.longdouble))),
            rms=float(np.sqrt(np.mean(finite.astype(np.longdouble) ** 2))),
        )
    if samples.dtype.kind == "i":
        figures.update(
            sum=int(wide.sum()),
            at_minimum_limit=int((wide == -32768).sum()),
            at_maximum_limit=int((wide == 32767).sum()),
        )
    else:
        figures.update(nan=int(np.isnan(samples).sum()), infinite=int(np.isinf(samples).sum()))
    return figures


def _check(got, samples, nonfinite):
    """got: one record's figures; nonfinite(x) tells whether x stands for NaN."""
    expected = _expected(samples)
    for key, value in expected.items():
        if key in ("mean", "rms"):
            assert got[key] == pytest.approx(value, rel=1e-12), key
        else:
            assert got[key] == value, key
    if "minimum" not in expected:  # no finite sample
        assert all(nonfinite(got[key]) for key in ("minimum", "maximum", "mean", "rms"))


class TestStats:
    def test_every_record_matches_numpy(self, sample_file):
        path, records = sample_file
        figures = orvane.stats(path)
        assert [f["record"] for f in figures] == ["T0", "T1", "R0", "R1", "I0"]
        for f in figures:
            _check(f, records[f["record"]], math.isnan)

    def test_named_records_in_the_order_named(self, sample_file):
        path, _ = sample_file
        assert [f["record"] for f in orvane.stats(path, ["I0", "T0"])] == ["I0", "T0"]
        assert [f["record"] for f in orvane.stats(path, "R1")] == ["R1"]
        with pytest.raises(KeyError):
            orvane.stats(path, ["T7"])

    def test_cli_json_matches_numpy(self, sample_file):
        path, records = sample_file
        run = subprocess.run([CLI, "stats", "--json", str(path)], capture_output=True, check=True)
        document = json.loads(run.stdout)
        assert len(document["records"]) == len(records)
        for f in document["records"]:
            _check(f, records[f["record"]], lambda x: x == "nan")

    def test_cli_json_reals_read_back_to_the_same_bits(self, sample_file):
        path, _ = sample_file
        run = subprocess.run([CLI, "stats", "--json", str(path), "R0"], capture_output=True, check=True)
        (cli,) = json.loads(run.stdout)["records"]
        (module,) = orvane.stats(path, ["R0"])
        for key in ("minimum", "maximum", "mean", "rms"):
            assert cli[key] == module[key]

    def test_damaged_and_missing_files_raise(self, tmp_path, sample_file):
        path, _ = sample_file
        damaged = tmp_path / "damaged.spf"
        data = bytearray(path.read_bytes())
        data[-1] ^= 1
        damaged.write_bytes(bytes(data))
        with pytest.raises(orvane.ChecksumError):
            orvane.stats(damaged)
        with pytest.raises(FileNotFoundError):
            orvane.stats(tmp_path / "nothere.spf")


def _variant(tmp_path, name, records, **changes):
    changed = {key: value.copy() for key, value in records.items()}
    for key, edit in changes.items():
        changed[key] = edit(changed[key])
    path = tmp_path / f"{name}.spf"
    orvane.write(
        path,
        None,
        t=[(None, changed["T0"]), (None, changed["T1"])],
        r=[(None, changed["R0"]), (None, changed["R1"])],
        i=[(None, changed["I0"])],
    )
    return path, changed


def _expected_record(a, b, tolerance):
    n = min(len(a), len(b))
    a, b = a[:n], b[:n]
    same_bits = a.view(f"<u{a.itemsize}") == b.view(f"<u{b.itemsize}")
    with np.errstate(invalid="ignore"):
        distance = np.abs(a.astype(np.float64) - b.astype(np.float64))
    distance[np.isnan(distance)] = np.inf
    distance[same_bits] = 0
    beyond = np.flatnonzero(distance > tolerance)
    return {
        "differing": len(beyond),
        "first_index": int(beyond[0]) if len(beyond) else None,
        "largest_difference": float(distance.max()) if n else 0.0,
    }


class TestDiff:
    def test_equal_files(self, sample_file, tmp_path):
        path, records = sample_file
        same, _ = _variant(tmp_path, "same", records)
        result = orvane.diff(path, same)
        assert result["equal"] and not result["fields"]
        assert all(r["differing"] == 0 for r in result["records"])

    def test_samples_against_numpy_within_and_beyond_the_tolerance(self, sample_file, tmp_path):
        path, records = sample_file

        def shift_t(t):
            t[[10, 20, 30]] += np.array([1, 3, -5], "<i2")
            return t

        def shift_r(r):
            r[[0, 1]] += np.float32(0.5)
            r[3] = np.float32(2.0)  # a NaN meets a number
            r[30] = np.float32("nan")  # the same NaN stays equal
            return r

        other, changed = _variant(tmp_path, "other", records, T0=shift_t, R0=shift_r)
        for tolerance in (0, 1, 4, 1e9):
            result = orvane.diff(path, other, tolerance)
            by_name = {r["record"]: r for r in result["records"]}
            for name in records:
                expected = _expected_record(records[name], changed[name], tolerance)
                got = {key: by_name[name][key] for key in expected}
                assert got == expected, (name, tolerance)
            assert not result["equal"]  # the NaN met a number: infinitely far
        assert orvane.diff(path, other, float("inf"))["equal"]

    def test_counts_fields_and_records_of_one_file(self, sample_file, tmp_path):
        path, records = sample_file
        shorter = tmp_path / "shorter.spf"
        orvane.write(shorter, {"desc": "other"}, t=[(None, records["T0"][:-1])], r=[(None, records["R0"])])
        result = orvane.diff(path, shorter)
        assert {(f["where"], f["field"]) for f in result["fields"]} >= {
            ("file", "DESC"), ("file", "TCNT"), ("file", "RCNT"), ("file", "ICNT"), ("T0", "SIZE")}
        assert result["only_in_first"] == ["T1", "R1", "I0"] and result["only_in_second"] == []
        (t0,) = [r for r in result["records"] if r["record"] == "T0"]
        assert (t0["first_samples"], t0["second_samples"], t0["differing"]) == (100_001, 100_000, 0)

    def test_cli_json_and_exit_status(self, sample_file, tmp_path):
        path, records = sample_file
        # every sample one up, but for those at the upper limit
        other, changed = _variant(tmp_path, "other", records, T0=lambda t: t + (t < 32767).astype("<i2"))

        def cli(*args):
            return subprocess.run([CLI, "diff", "--json", *args], capture_output=True)

        near = cli("--tolerance", "1", str(path), str(other))
        assert near.returncode == 0 and json.loads(near.stdout)["equal"]
        far = cli(str(path), str(other))
        assert far.returncode == 1
        (t0,) = [r for r in json.loads(far.stdout)["records"] if r["record"] == "T0"]
        expected = _expected_record(records["T0"], changed["T0"], 0)
        assert {key: t0[key] for key in expected} == expected
        assert cli(str(path), str(tmp_path / "nothere.spf")).returncode == 2
