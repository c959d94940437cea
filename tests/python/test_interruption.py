"""Ctrl-C, a failing progress callback and another program's lock, met by
Python code as a user runs it: each case runs the module in a child
interpreter, since a hang or a crash there must not take the test with it."""

import fcntl
import hashlib
import os
import pathlib
import signal
import subprocess
import sys
import textwrap
import time

import numpy as np
import pytest

import orvane
from conftest import cli_path

PYTHON = sys.executable
PACKAGE_DIR = pathlib.Path(orvane.__file__).resolve().parents[1]


def child(code, cwd, **kwargs):
    """Starts a child interpreter running code in cwd, with the package of
    this build importable."""
    env = dict(os.environ, PYTHONPATH=str(PACKAGE_DIR), PYTHONUNBUFFERED="1")
    return subprocess.Popen(
        [PYTHON, "-c", textwrap.dedent(code)],
        cwd=cwd,
        env=env,
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
        text=True,
        **kwargs,
    )


def digest(folder):
    """Every file of folder with a hash of its bytes: what a cancelled run
    must leave as it was (temporary files included, as new names)."""
    return {p.name: hashlib.sha256(p.read_bytes()).hexdigest() for p in sorted(folder.iterdir())}


@pytest.fixture
def large_set(tmp_path):
    """A pulse file of some 20 megabytes (over 90 MB of text) and its text
    files; in old/, a pulse file of one short record and its text files:
    what a conversion of the large ones into old/ would replace."""
    rng = np.random.default_rng(3)
    t = [(None, rng.integers(-32768, 32768, 3_000_000).astype("<i2")) for _ in range(3)]
    orvane.write(tmp_path / "m.spf", None, t=t)
    orvane.to_text(tmp_path / "m.spf")
    (tmp_path / "old").mkdir()
    orvane.write(tmp_path / "old" / "m.spf", None, t=[(None, t[0][1][:10])])
    orvane.to_text(tmp_path / "old" / "m.spf")
    return tmp_path


@pytest.mark.parametrize(
    "call",
    [
        'orvane.from_text("m.pfh", output_dir="old", progress=progress)',
        'orvane.to_text("m.spf", output_dir="old", progress=progress)',
    ],
)
def test_ctrl_c_cancels_a_conversion_and_leaves_every_file_as_it_was(large_set, call):
    before = digest(large_set / "old")
    # The SIGINT comes as the run reports its first progress, as a user's
    # Ctrl-C comes part-way through a run.
    proc = child(
        f"""
        import os, signal, sys, orvane
        def progress(done, total, status):
            if done < total:
                os.kill(os.getpid(), signal.SIGINT)
        try:
            {call}
        except KeyboardInterrupt:
            print("interrupted")
            sys.exit(3)
        print("completed")
        """,
        large_set,
    )
    out, err = proc.communicate(timeout=120)
    assert (proc.returncode, out.split()) == (3, ["interrupted"]), err
    assert digest(large_set / "old") == before


def test_a_progress_callback_that_raises_cancels_the_run(large_set):
    before = digest(large_set / "old")

    class Stop(Exception):
        pass

    def progress(done, total, status):
        raise Stop

    old = large_set / "old"
    with pytest.raises(Stop):
        orvane.from_text(large_set / "m.pfh", output_dir=old, progress=progress)
    with pytest.raises(Stop):
        orvane.to_text(large_set / "m.spf", output_dir=old, progress=progress)
    assert digest(old) == before


def test_progress_reaches_its_total_and_to_text_names_the_files_it_wrote(make_file, tmp_path):
    path, records = make_file(t=2, r=1, i=1)
    seen = []
    names = orvane.to_text(path, progress=lambda done, total, status: seen.append((done, total)))
    assert seen and seen[-1][0] == seen[-1][1] > 0
    base = str(tmp_path / "data")
    assert names == [base + s for s in (".pfh", ".T0", ".T1", ".R0", ".I0")]


def test_power_changes_never_wait_for_the_files_arrays_of_this_process(tmp_path, cli):
    proc = child(
        """
        import gc, orvane
        import numpy as np
        orvane.write("g.spf", None, t=[(None, np.arange(10, dtype="<i2"))])
        with orvane.open("g.spf") as f:
            kept = f.t[0].samples
        left_open = orvane.open("g.spf")
        in_a_cycle = len(orvane.open("g.spf").t)
        orvane.set_power("g.spf", [7])
        print(orvane.get_power("g.spf"), flush=True)
        input()  # another program changes it while the arrays live
        print(orvane.get_power("g.spf"), kept[3])
        """,
        tmp_path,
        stdin=subprocess.PIPE,
    )
    try:
        assert proc.stdout.readline().strip() == "[7]"
        other = cli("power", tmp_path / "g.spf", 5, check=False)
        assert other.returncode == 0, other.stderr
        out, err = proc.communicate("\n", timeout=30)
    finally:
        proc.kill()
    assert out.split() == ["[5]", "3"], err


def interrupted_while_waiting(folder, code, lock):
    """Runs code in a child while this process holds lock on folder/g.spf;
    once the child says it waits, sends SIGINT. (What it said on standard
    error, what it printed.)"""
    with open(folder / "g.spf", "rb") as held:
        fcntl.flock(held, lock)
        proc = child(code, folder)
        deadline = time.monotonic() + 30
        err = ""
        while "waiting" not in err and time.monotonic() < deadline:
            err += os.read(proc.stderr.fileno(), 4096).decode()
        proc.send_signal(signal.SIGINT)
        out, rest = proc.communicate(timeout=30)
    return err + rest, out


def test_a_wait_for_another_programs_lock_is_told_and_ctrl_c_ends_it(tmp_path):
    orvane.write(tmp_path / "g.spf", None, t=[(None, np.arange(10, dtype="<i2"))])
    before = digest(tmp_path)
    err, out = interrupted_while_waiting(
        tmp_path,
        """
        import orvane
        try:
            orvane.set_power("g.spf", [7])
        except KeyboardInterrupt:
            print("interrupted")
        """,
        fcntl.LOCK_SH,
    )
    assert "waiting for another program to let go of g.spf" in err, err
    assert out.strip() == "interrupted", err
    assert digest(tmp_path) == before


def test_a_file_cut_short_by_another_program_raises_and_never_crashes(tmp_path):
    proc = child(
        """
        import os, orvane
        import numpy as np
        orvane.write("c.spf", None, t=[(None, np.arange(5000, dtype="<i2")) for _ in range(3)])
        f = orvane.open("c.spf")
        os.truncate("c.spf", 1000)
        for read in (lambda: f.t[2], lambda: f.t.headers(), lambda: f.header):
            try:
                read()
                print("read")
            except orvane.FileChangedError as e:
                assert isinstance(e, OSError) and e.filename == "c.spf", e
                print("changed")
        """,
        tmp_path,
    )
    out, err = proc.communicate(timeout=60)
    assert proc.returncode == 0, err
    assert out.split()[:2] == ["changed", "changed"], err


def test_get_power_names_every_gain_without_a_pulse_power(tmp_path):
    path = tmp_path / "g.spf"
    t = [({"gain": g}, np.zeros(2, "<i2")) for g in (0.5, float("nan"), float("inf"))]
    orvane.write(path, None, t=t)
    with pytest.warns(RuntimeWarning) as caught:
        powers = orvane.get_power(path)
    assert powers[0] == 50 and len(powers) == 3
    texts = [str(w.message) for w in caught]
    assert [t.split(": ")[1] for t in texts] == ["T1", "T2"], texts
    assert all(t.startswith(f"{path}: ") and "GAIN" in t for t in texts), texts


def test_the_command_line_tells_when_it_waits_for_a_lock_and_goes_on_when_it_is_free(tmp_path, cli):
    path = tmp_path / "g.spf"
    orvane.write(path, None, t=[(None, np.arange(10, dtype="<i2"))])
    with open(path, "rb") as held:
        fcntl.flock(held, fcntl.LOCK_SH)
        proc = subprocess.Popen(
            [str(cli_path()), "power", str(path), "5"], stdout=subprocess.PIPE, stderr=subprocess.PIPE
        )
        err = b""
        deadline = time.monotonic() + 30
        while b"waiting" not in err and time.monotonic() < deadline:
            err += os.read(proc.stderr.fileno(), 4096)
        fcntl.flock(held, fcntl.LOCK_UN)
        out, rest = proc.communicate(timeout=30)
    assert b"waiting for another program to let go of" in err, err + rest
    assert proc.returncode == 0, err + rest
    assert orvane.get_power(path) == [5]


def test_opening_a_file_another_program_holds_alone_is_told_and_ctrl_c_ends_it(tmp_path):
    orvane.write(tmp_path / "g.spf", None, t=[(None, np.arange(10, dtype="<i2"))])
    err, out = interrupted_while_waiting(
        tmp_path,
        """
        import orvane
        try:
            orvane.open("g.spf")
        except KeyboardInterrupt:
            print("interrupted")
        """,
        fcntl.LOCK_EX,  # as a pulse power change holds it
    )
    assert "waiting for another program to let go of g.spf" in err, err
    assert out.strip() == "interrupted", err
