"""Open files, records and orvane.stack on real Dask clusters: a local
cluster of worker processes, and a scheduler and worker started as programs;
examples/stack_statistics.py run as a script with Debian's python3."""

import json
import os
import re
import signal
import subprocess
import time

import numpy as np
import pytest

import orvane
from conftest import DEBIAN_PYTHON, PACKAGE_DIR, SOURCE_DIR, run_script

distributed = pytest.importorskip("distributed")

SCRIPT = SOURCE_DIR / "examples" / "stack_statistics.py"


def folder_of_files(folder, count, samples=2000):
    """count files of one T record (int16) and one R record (float32) of the
    same sizes; returns their paths in name order and their records."""
    folder.mkdir()
    rng = np.random.default_rng(count)
    paths, t0, r0 = [], [], []
    for k in range(count):
        t = rng.integers(-32768, 32768, samples, dtype=np.int64).astype("<i2")
        r = (rng.standard_normal(samples // 2) * 100).astype("<f4")
        path = folder / f"f{k:02d}.spf"
        orvane.write(path, {"desc": f"file {k}"}, t=[(None, t)], r=[(None, r)])
        paths.append(str(path))
        t0.append(t)
        r0.append(r)
    return paths, np.stack(t0), np.stack(r0)


def record_sum(item):
    """Runs in a worker: the sum of T0 of a PulseFile, or of a Record, as
    the worker maps it, and the worker's process."""
    samples = item.t[0].samples if isinstance(item, orvane.PulseFile) else item.samples
    return int(samples.sum(dtype="i8")), not samples.flags.writeable, os.getpid()


@pytest.fixture(scope="module")
def local_cluster():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            yield client


@pytest.mark.slow
def test_files_and_records_passed_to_workers_are_mapped_there(local_cluster, tmp_path):
    client = local_cluster
    paths, t0, r0 = folder_of_files(tmp_path / "in", 3)
    files = [orvane.open(p) for p in paths]
    records = [f.t[0] for f in files] + [orvane.open(paths[0], verify=False).r[0]]
    results = client.gather(client.map(record_sum, files + records[:3], pure=False))
    expected = [int(t.sum(dtype="i8")) for t in t0]
    assert [s for s, _, _ in results] == expected * 2
    assert all(view for _, view, _ in results)  # read-only views of the worker's mapping
    assert os.getpid() not in {pid for _, _, pid in results}
    # A record of a file opened without verifying is taken as it was.
    back = client.submit(lambda rec: (rec.name, float(rec.samples.sum(dtype="f8"))), records[3]).result()
    assert back == ("R0", pytest.approx(float(r0[0].sum(dtype="f8"))))


@pytest.mark.slow
def test_a_stack_summed_on_the_workers_matches_numpy(local_cluster, tmp_path):
    paths, t0, r0 = folder_of_files(tmp_path / "in", 12)
    x = orvane.stack(paths, "T0")
    assert local_cluster.compute(x.sum(axis=1, dtype="i8")).result().tolist() == t0.sum(axis=1, dtype="i8").tolist()
    np.testing.assert_array_equal(local_cluster.compute(orvane.stack(paths, "R0")).result(), r0)
    # A damaged file fails in the worker, naming it.
    with open(paths[5], "r+b") as f:
        f.seek(-1, os.SEEK_END)
        f.write(b"\x55")
    with pytest.raises(orvane.ChecksumError, match=re.escape(paths[5])):
        local_cluster.compute(orvane.stack(paths, "T0").sum()).result()


# ---------------------------------------------------------------- the example


def without_dashboard_warning(err):
    """Standard error less the warning of a busy dashboard port, which a
    machine running another Dask program may give."""
    return re.sub(r"[^\n]*UserWarning: Port \d+ is already in use.*?warnings\.warn\([^\n]*\n", "", err, flags=re.S)


def check_statistics(out, paths, samples):
    lines = [line.split("\t") for line in out.splitlines()]
    assert [line[0] for line in lines] == paths
    wide = samples.astype("f8")
    np.testing.assert_allclose([float(line[1]) for line in lines], wide.mean(axis=1), rtol=1e-9, atol=1e-9)
    np.testing.assert_allclose([float(line[2]) for line in lines], np.sqrt((wide**2).mean(axis=1)), rtol=1e-9)


@pytest.mark.slow
def test_the_example_prints_each_files_mean_and_rms_only(tmp_path):
    paths, t0, r0 = folder_of_files(tmp_path / "in", 4)
    code, out, err = run_script(SCRIPT, tmp_path / "in")  # its own local cluster
    assert code == 0, err
    check_statistics(out, paths, t0)
    assert without_dashboard_warning(err) == ""
    code, out, err = run_script(SCRIPT, tmp_path / "in", "--record", "R0", "--workers", "1", "--no-verify")
    assert code == 0, err
    check_statistics(out, paths, r0)
    assert without_dashboard_warning(err) == ""


def test_the_example_names_the_file_that_differs(tmp_path):
    paths, _, _ = folder_of_files(tmp_path / "in", 3)
    orvane.write(paths[2], None, t=[(None, np.zeros(5, "<i2"))])
    code, out, err = run_script(SCRIPT, tmp_path / "in", timeout=60)
    assert (code, out) == (1, "")
    assert err == f"stack_statistics: {paths[2]}: T0 has 5 samples of <i2, where {paths[0]} has 2000 of <i2\n"


class Programs:
    """Processes started by a test, each in a session of its own, ended
    with everything they started when the test is done."""

    def __init__(self, env):
        self.env, self.children = env, []

    def start(self, *args, log):
        child = subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT, env=self.env, start_new_session=True)
        self.children.append(child)
        return child

    def end(self):
        for child in self.children:
            if child.poll() is None:
                os.killpg(child.pid, signal.SIGTERM)
        for child in self.children:
            try:
                child.wait(timeout=15)
            except subprocess.TimeoutExpired:
                os.killpg(child.pid, signal.SIGKILL)
                child.wait()


def wait_for_address(address_file, log, seconds=60):
    """The address the scheduler writes into its file once it listens."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            return json.loads(address_file.read_text())["address"]
        except (OSError, ValueError, KeyError):  # not there yet, or half written
            assert time.monotonic() < deadline, f"no scheduler address after {seconds} s:\n{log.read_text()}"
            time.sleep(0.1)


@pytest.fixture
def scheduler(tmp_path):
    """A dask scheduler and one worker process of two threads, started as
    the programs a cluster runs; yields the scheduler's address."""
    programs = Programs(dict(os.environ, PYTHONPATH=PACKAGE_DIR))
    address_file = tmp_path / "scheduler.json"
    log = open(tmp_path / "cluster.log", "w")
    try:
        programs.start(DEBIAN_PYTHON, "-m", "distributed.cli.dask_scheduler", "--host", "127.0.0.1", "--port", "0",
                       "--no-dashboard", "--scheduler-file", str(address_file), log=log)
        address = wait_for_address(address_file, tmp_path / "cluster.log")
        programs.start(DEBIAN_PYTHON, "-m", "distributed.cli.dask_worker", address, "--nworkers", "1",
                       "--nthreads", "2", "--no-dashboard", log=log)
        with distributed.Client(address, timeout=60) as client:
            client.wait_for_workers(1, timeout=60)
        yield address
    finally:
        programs.end()
        log.close()


@pytest.mark.slow
def test_the_example_runs_on_a_scheduler_given_by_address(tmp_path, scheduler):
    paths, t0, _ = folder_of_files(tmp_path / "in", 5)
    code, out, err = run_script(SCRIPT, tmp_path / "in", "--scheduler", scheduler, timeout=120)
    assert code == 0, err
    check_statistics(out, paths, t0)
    assert without_dashboard_warning(err) == ""
