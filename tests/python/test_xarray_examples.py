"""The examples of time axes, pandas, xarray and NetCDF as a user runs them
(Debian's python3, a subprocess each): what they print is checked against
numpy computations on the arrays written, and a file they cannot read is
named in one line."""

import os
import subprocess

import numpy as np
import pytest

import orvane
from conftest import SOURCE_DIR

pytest.importorskip("pandas")
PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else "python3"


def run(script, *args, cwd):
    package = os.path.dirname(os.path.dirname(orvane.__file__))
    env = dict(os.environ, PYTHONPATH=package)
    return subprocess.run([PYTHON, str(SOURCE_DIR / "examples" / script), *map(str, args)], capture_output=True,
                          text=True, cwd=cwd, env=env, timeout=120)


def write_example(path):
    rng = np.random.default_rng(2)
    t0 = rng.integers(-1000, 1000, 2500).astype("<i2")
    t1 = np.arange(30, dtype="<i2")
    r0 = rng.standard_normal(100).astype("<f4")
    orvane.write(path, {"desc": "example"}, t=[({"desc": "t0", "rate": 1000.0}, t0), ({"desc": "t1"}, t1)],
                 r=[({"rate": 50.0}, r0)], i=[({}, np.zeros(0, "<i2"))])
    return {"T0": (1000.0, t0), "T1": (0.0, t1), "R0": (50.0, r0), "I0": (0.0, np.zeros(0, "<i2"))}


def window_means(rate, samples, window):
    times = np.arange(len(samples)) / rate if rate else np.arange(len(samples), dtype=np.float64)
    starts = np.floor_divide(times, window) * window
    return {start: samples[starts == start].astype(np.float64).mean() for start in np.unique(starts)}


@pytest.mark.parametrize(("record", "window"), [("T0", None), ("t1", "7"), ("R0", "0.3")])
def test_record_times_prints_window_means_on_the_time_axis(tmp_path, record, window):
    written = write_example(tmp_path / "data.spf")
    rate, samples = written[record.upper()]
    result = run("record_times.py", "data.spf", record, *(["--window", window] if window else []), cwd=tmp_path)
    assert result.returncode == 0 and result.stderr == "", result.stderr
    lines = result.stdout.splitlines()
    unit = "s" if rate else "sample"
    last = (len(samples) - 1) / rate if rate else len(samples) - 1
    assert lines[0] == f"{record.upper()}: {len(samples)} samples, RATE {rate:g}, 0 to {last:g} {unit}"
    assert lines[1] == f"window start ({unit})  mean"
    default = np.ceil(len(samples) / 10) * (1 / rate if rate else 1.0)
    want = window_means(rate, samples, float(window) if window else default)
    got = {float(start): float(mean) for start, mean in (line.split() for line in lines[2:])}
    assert list(got) == pytest.approx(list(want))
    assert list(got.values()) == pytest.approx(list(want.values()), rel=1e-5, abs=1e-6)


def test_netcdf_examples_go_there_and_back_to_the_same_file(tmp_path):
    pytest.importorskip("xarray")
    pytest.importorskip("netCDF4")
    write_example(tmp_path / "data.spf")
    there = run("to_netcdf.py", "data.spf", "data.nc", cwd=tmp_path)
    assert there.returncode == 0, there.stderr
    assert there.stdout.splitlines() == [
        "data.nc: 4 records; 'example'",
        "T0 int16 2500 samples, T0_time 0 to 2.499 s; desc 't0'",
        "T1 int16 30 samples, T1_time 0 to 29 sample; desc 't1'",
        "R0 float32 100 samples, R0_time 0 to 1.98 s; desc ''",
        "I0 int16 0 samples; desc ''",
    ]
    back = run("from_netcdf.py", "data.nc", "back.spf", cwd=tmp_path)
    assert back.returncode == 0, back.stderr
    size = (tmp_path / "data.spf").stat().st_size
    assert back.stdout == f"back.spf: T 2, R 1, I 1 records, {size} bytes\n"
    assert (tmp_path / "back.spf").read_bytes() == (tmp_path / "data.spf").read_bytes()

    for script, args, named in (("to_netcdf.py", ("missing.spf", "x.nc"), "missing.spf"),
                                ("from_netcdf.py", ("missing.nc", "x.spf"), "missing.nc"),
                                ("record_times.py", ("data.spf", "T7"), "no record T7"),
                                ("time_window.py", ("missing.spf", "0", "1"), "missing.spf")):
        failed = run(script, *args, cwd=tmp_path)
        assert failed.returncode == 1 and failed.stdout == "", script
        assert failed.stderr.count("\n") == 1 and named in failed.stderr, failed.stderr
    assert not (tmp_path / "x.nc").exists() and not (tmp_path / "x.spf").exists()


def test_time_window_prints_the_mean_of_every_record_between_two_times(tmp_path):
    pytest.importorskip("xarray")
    written = write_example(tmp_path / "data.spf")
    result = run("time_window.py", "data.spf", "0.5", "1.0", cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    lines = result.stdout.splitlines()
    assert len(lines) == len(written)
    for line, (name, (rate, samples)) in zip(lines, written.items(), strict=True):
        times = np.arange(len(samples)) / rate if rate else np.arange(len(samples), dtype=np.float64)
        inside = samples[(times >= 0.5) & (times <= 1.0)]
        unit = "s" if rate else "sample"
        mean = f"{inside.astype(np.float64).mean():.6g}" if len(inside) else "-"
        assert line == f"{name}: {len(inside)} samples from 0.5 to 1 {unit}, mean {mean}"
