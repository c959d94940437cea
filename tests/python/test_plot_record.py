"""examples/plot_record.py as a user runs it: it draws the record it is
given, and for a record or a file it cannot draw prints one line naming both
and exits with 1, never a traceback."""

import os
import subprocess
import sys

import pytest

import orvane
from conftest import SOURCE_DIR

pytest.importorskip("matplotlib")

SCRIPT = SOURCE_DIR / "examples" / "plot_record.py"


def plot(*args, cwd):
    package = os.path.dirname(os.path.dirname(orvane.__file__))
    env = dict(os.environ, PYTHONPATH=package, MPLBACKEND="Agg", MPLCONFIGDIR=str(cwd / ".matplotlib"))
    return subprocess.run(
        [sys.executable, str(SCRIPT), *map(str, args)], capture_output=True, text=True, cwd=cwd, env=env, timeout=120
    )


def test_a_record_is_drawn_and_a_wrong_one_is_named_in_one_line(tmp_path, make_file):
    path, _ = make_file(t=2, r=1, i=0)
    run = plot(path, "r0", "--out", tmp_path / "r0.png", cwd=tmp_path)
    assert run.returncode == 0 and run.stderr == "", run.stderr
    assert (tmp_path / "r0.png").read_bytes().startswith(b"\x89PNG")

    wrong = {
        "T9": f"{path}: there is no record T9: the file has 2 T records",
        "I0": f"{path}: there is no record I0: the file has 0 I records",
        "X0": f"{path}: 'X0' names no record",
        "T": f"{path}: 'T' names no record",
    }
    for record, expected in wrong.items():
        run = plot(path, record, "--out", tmp_path / "x.png", cwd=tmp_path)
        assert (run.returncode, run.stdout) == (1, ""), record
        assert run.stderr.count("\n") == 1 and run.stderr.startswith(f"plot_record: {expected}"), run.stderr
    assert not (tmp_path / "x.png").exists()


@pytest.mark.parametrize("damage", ["missing", "checksum"])
def test_a_file_that_cannot_be_read_is_named_in_one_line(tmp_path, make_file, damage):
    path, _ = make_file()
    if damage == "missing":
        path.unlink()
    else:
        data = bytearray(path.read_bytes())
        data[400] ^= 1
        path.write_bytes(bytes(data))
    run = plot(path, "T0", "--out", tmp_path / "t0.png", cwd=tmp_path)
    assert run.returncode == 1 and run.stderr.count("\n") == 1, run.stderr
    assert "Traceback" not in run.stderr and str(path) in run.stderr
