"""The engine's commands from Python give the same files, messages and
values as orvane-cli, release the GIL while they work, and report failures
as exceptions with the engine's code and exact message."""

import errno
import os
import pickle
import shutil
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import orvane
from conftest import GOLDEN_CASES, GOLDEN_DIR

LAYOUTS = [("labelled", True, []), ("bare", False, ["--no-headers"])]


def folder_bytes(folder):
    return {p.name: p.read_bytes() for p in sorted(folder.iterdir()) if p.is_file()}


@pytest.mark.parametrize("case", GOLDEN_CASES)
@pytest.mark.parametrize("layout, labelled, flags", LAYOUTS)
def test_to_text_writes_the_command_lines_bytes(cli, tmp_path, case, layout, labelled, flags):
    mine, theirs = tmp_path / "mine", tmp_path / "theirs"
    for d in (mine, theirs):
        d.mkdir()
        shutil.copy(GOLDEN_DIR / case / "data.spf", d / "data.spf")
    written = orvane.to_text(mine / "data.spf", labelled=labelled)
    cli(*flags, "to-ascii", theirs / "data.spf")
    assert folder_bytes(mine) == folder_bytes(theirs)
    assert sorted(written) == sorted(str(p) for p in mine.iterdir() if p.name != "data.spf")


@pytest.mark.parametrize("case", GOLDEN_CASES)
@pytest.mark.parametrize("layout, labelled, flags", LAYOUTS)
def test_from_text_builds_the_command_lines_bytes(cli, tmp_path, case, layout, labelled, flags):
    mine, theirs = tmp_path / "mine", tmp_path / "theirs"
    for d in (mine, theirs):
        shutil.copytree(GOLDEN_DIR / case / layout, d)
        (d / "data.spf").unlink()
    built = orvane.from_text(mine / "data.pfh", labelled=labelled)
    cli(*flags, "from-ascii", theirs / "data.pfh")
    assert built == str(mine / "data.spf")
    assert (mine / "data.spf").read_bytes() == (theirs / "data.spf").read_bytes()
    assert (mine / "data.spf").read_bytes() == (GOLDEN_DIR / case / layout / "data.spf").read_bytes()


def test_output_dir_takes_the_new_files(tmp_path, make_file):
    path, _ = make_file(t=1, r=1, i=0)
    out = tmp_path / "out"
    out.mkdir()
    written = orvane.to_text(path, output_dir=out)
    assert written == [str(out / "data.pfh"), str(out / "data.T0"), str(out / "data.R0")]
    assert all(os.path.isfile(p) for p in written)
    back = tmp_path / "back"
    back.mkdir()
    assert orvane.from_text(out / "data", output_dir=back) == str(back / "data.spf")
    assert orvane.validate(back / "data.spf")


def cli_message(cli, *args):
    """The message of a failing orvane-cli run: "orvane-cli: FILE: MESSAGE"."""
    run = cli(*args, check=False)
    assert run.returncode == 1
    line = run.stderr.decode().strip().splitlines()[-1]
    return line.split(": ", 2)[2]


def test_a_missing_file_is_a_conversion_error_and_an_oserror(cli, tmp_path):
    missing = tmp_path / "gone.spf"
    with pytest.raises(orvane.ConversionError) as err:
        orvane.to_text(missing)
    e = err.value
    assert e.code == orvane.Failure.CANT_OPEN_FOR_READING
    assert e.message == str(e) == f"Can't open {missing} for reading"
    assert isinstance(e, FileNotFoundError) and e.errno == errno.ENOENT and e.filename == e.path == str(missing)
    # orvane-cli adds the system's reason to the same message.
    assert e.strerror == os.strerror(errno.ENOENT)
    assert cli_message(cli, "to-ascii", missing) == f"{e.message}: {e.strerror}"
    # Whole after a trip to another process, as a Dask worker sends it.
    back = pickle.loads(pickle.dumps(e))
    assert type(back) is type(e) and str(back) == str(e)
    assert (back.code, back.errno, back.strerror, back.filename) == (e.code, e.errno, e.strerror, e.filename)


def test_an_invalid_file_is_a_conversion_error_and_a_format_error(cli, make_file):
    path, _ = make_file()
    data = bytearray(path.read_bytes())
    data[400] ^= 1
    path.write_bytes(bytes(data))
    with pytest.raises(orvane.ChecksumError) as err:
        orvane.to_text(path)
    e = err.value
    assert isinstance(e, orvane.ConversionError) and isinstance(e, orvane.FormatError)
    assert e.code == orvane.Failure.CHECKSUM_ERROR
    assert e.message == cli_message(cli, "to-ascii", path)
    assert orvane.validate(path) is False
    assert not os.path.exists(path.with_suffix(".pfh"))


def test_import_failures_carry_the_engine_message(cli, tmp_path, golden):
    case = golden("mixed")
    (case / "labelled" / "data.T1").unlink()
    with pytest.raises(orvane.ConversionError) as err:
        orvane.from_text(case / "labelled" / "data.pfh")
    expected = f"{err.value.message}: {os.strerror(errno.ENOENT)}"
    assert cli_message(cli, "from-ascii", case / "labelled" / "data.pfh") == expected


def test_pulse_power_reads_and_sets_like_the_command_line(cli, make_file):
    path, records = make_file(t=4, r=1, i=0)
    expected = [round(h["gain"] * 100) for h, _ in records["T"]]
    assert orvane.get_power(path) == expected
    assert cli("power", path).stdout.decode() == "".join(f"{v} " for v in expected) + "\n"
    orvane.set_power(path, [50, -20, 100, 250])
    assert orvane.get_power(path) == [50, -20, 100, 100]  # clamped to -100..100
    assert cli("power", path).stdout.decode() == "50 -20 100 100 \n"
    assert cli("check", path).returncode == 0
    with pytest.raises(TypeError):
        orvane.set_power(path, [1.5])
    assert orvane.get_power(path) == [50, -20, 100, 100]


def test_progress_reports_bytes_and_the_final_status(make_file):
    path, _ = make_file(t=3, r=3, i=3, max_samples=200_000)
    calls = []
    orvane.to_text(path, progress=lambda done, total, status: calls.append((done, total, status)))
    assert calls and calls[-1][2] == "conversion complete"
    assert any(total == os.path.getsize(path) for _, total, _ in calls)

    def fail(done, total, status):
        raise RuntimeError("stop here")

    with pytest.raises(RuntimeError, match="stop here"):
        orvane.to_text(path, progress=fail)


def test_another_thread_runs_while_the_engine_works(make_file):
    path, _ = make_file(t=4, r=4, i=4, max_samples=3_000_000)
    window = {}

    def convert():
        window["start"] = time.perf_counter()
        orvane.to_text(path, labelled=True, threads=1)
        window["end"] = time.perf_counter()

    worker = threading.Thread(target=convert)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
        sum(range(200))
    worker.join()
    inside = [t for t in ticks if window["start"] < t < window["end"]]
    assert window["end"] - window["start"] > 0.05
    assert len(inside) > 10, f"{len(inside)} steps of the main thread in {window['end'] - window['start']:.3f} s"


LOCALE_SCRIPT = """
import locale, sys
locale.setlocale(locale.LC_ALL, "")
assert locale.localeconv()["decimal_point"] == ","
import orvane
orvane.to_text(sys.argv[1], labelled=sys.argv[2] == "1")
orvane.from_text(sys.argv[1], labelled=sys.argv[2] == "1", output_dir=sys.argv[3])
"""


@pytest.mark.parametrize("layout, labelled, flags", LAYOUTS)
def test_results_are_unchanged_under_a_german_locale(cli, tmp_path, golden, layout, labelled, flags):
    case = golden("mixed")
    mine, theirs = tmp_path / "mine", tmp_path / "theirs"
    for d in (mine, theirs):
        d.mkdir()
        shutil.copy(case / "data.spf", d / "data.spf")
        (d / "built").mkdir()
    env = dict(os.environ, LC_ALL="de_DE.UTF-8")
    subprocess.run(
        [sys.executable, "-c", LOCALE_SCRIPT, str(mine / "data.spf"), "1" if labelled else "0", str(mine / "built")],
        check=True,
        env=env,
    )
    c_env = dict(os.environ, LC_ALL="C")
    cli(*flags, "to-ascii", theirs / "data.spf", env=c_env)
    shutil.copytree(theirs, theirs / "built", dirs_exist_ok=True, ignore=shutil.ignore_patterns("built", "*.spf"))
    cli(*flags, "from-ascii", theirs / "built" / "data.pfh", env=c_env)
    assert folder_bytes(mine) == folder_bytes(theirs)
    assert (mine / "built" / "data.spf").read_bytes() == (theirs / "built" / "data.spf").read_bytes()


def test_samples_of_text_round_trip_through_the_engine(tmp_path):
    t = [({"desc": "ramp"}, np.arange(-5, 6, dtype="<i2"))]
    r = [({"desc": "wave"}, np.array([0.5, -1.25, 3.0], "<f4"))]
    path = tmp_path / "rt.spf"
    orvane.write(path, {"desc": "round trip"}, t=t, r=r)
    orvane.to_text(path)
    path.unlink()
    orvane.from_text(tmp_path / "rt.pfh")
    with orvane.open(path) as f:
        np.testing.assert_array_equal(f.t[0].samples, t[0][1])
        np.testing.assert_array_equal(f.r[0].samples, r[0][1])
        assert f.t[0].header["desc"].rstrip() == "ramp"
