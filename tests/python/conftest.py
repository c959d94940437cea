"""Shared helpers of the orvane module's tests: the command-line program to
compare with, the golden cases, and generated pulse files."""

import os
import pathlib
import shutil
import signal
import subprocess

import numpy as np
import pytest

import orvane

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
GOLDEN_DIR = SOURCE_DIR / "tests" / "golden"
GOLDEN_CASES = sorted(p.name for p in GOLDEN_DIR.iterdir() if (p / "data.spf").is_file())


def pytest_configure(config):
    config.addinivalue_line("markers", "slow: runs a Dask cluster or a long loop; ctest label slow (python.dask)")


DEBIAN_PYTHON = "/usr/bin/python3"
PACKAGE_DIR = os.path.dirname(os.path.dirname(orvane.__file__))


def run_script(script, *args, timeout=300):
    """Runs a script as a user would, with Debian's python3 and this build's
    package, in a session of its own: a script that hangs is ended with
    every worker it started. (returncode, stdout, stderr)."""
    env = dict(os.environ, PYTHONPATH=PACKAGE_DIR)
    child = subprocess.Popen(
        [DEBIAN_PYTHON, str(script), *map(str, args)],
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
        text=True,
        env=env,
        start_new_session=True,
    )
    try:
        out, err = child.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(child.pid, signal.SIGKILL)
        out, err = child.communicate()
        pytest.fail(f"{pathlib.Path(script).name} still ran after {timeout} s; standard error began:\n{err[:2000]}")
    return child.returncode, out, err


def cli_path():
    """orvane-cli of the build whose package is imported, or $ORVANE_CLI."""
    if "ORVANE_CLI" in os.environ:
        return pathlib.Path(os.environ["ORVANE_CLI"])
    return pathlib.Path(orvane.__file__).resolve().parents[2] / "cli" / "orvane-cli"


@pytest.fixture(scope="session")
def cli():
    path = cli_path()
    if not path.is_file():
        pytest.skip(f"orvane-cli not found at {path}")

    def run(*args, check=True, env=None):
        return subprocess.run([str(path), *map(str, args)], capture_output=True, check=check, env=env)

    return run


@pytest.fixture
def golden(tmp_path):
    """Copies a golden case's folder into tmp_path and returns the copy."""

    def copy(case):
        target = tmp_path / case
        shutil.copytree(GOLDEN_DIR / case, target)
        return target

    return copy


RS_WORDS = {"T": 6, "R": 6, "I": 8}


def random_records(rng, kind, count, max_samples=40):
    """(header, samples) pairs of one kind with random fields and samples,
    odd and even sample counts and an empty record among them."""
    out = []
    for n in range(count):
        size = 0 if n == 1 else int(rng.integers(1, max_samples))
        if kind == "R":
            samples = rng.standard_normal(size).astype("<f4")
        else:
            samples = rng.integers(-32768, 32768, size, dtype=np.int64).astype("<i2")
        header = {"desc": f"{kind} record {n}", "chan": int(rng.integers(0, 2**32)), "rate": 1000.5}
        if kind == "T":
            header["gain"] = float(rng.integers(-100, 101)) / 100
        header["rs"] = [int(v) for v in rng.integers(-(2**31), 2**31, RS_WORDS[kind])]
        out.append((header, samples))
    return out


@pytest.fixture
def make_file(tmp_path):
    """Writes a pulse file of random records with orvane.write; returns its
    path and the records written."""

    def make(name="data.spf", t=3, r=2, i=2, seed=1, max_samples=40):
        rng = np.random.default_rng(seed)
        records = {k: random_records(rng, k, c, max_samples) for k, c in (("T", t), ("R", r), ("I", i))}
        path = tmp_path / name
        header = {"desc": "generated", "pnam": "test", "subs": 3, "mxpr": 2.5, "rs": range(7)}
        orvane.write(path, header, t=records["T"], r=records["R"], i=records["I"])
        return path, records

    return make
