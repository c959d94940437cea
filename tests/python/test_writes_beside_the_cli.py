"""orvane.write while orvane-cli runs in the same folder: each run of the
command line sweeps the folder of temporary files that no live process
holds, and the writer's temporary file is held for as long as it is
written, so no sweep takes it away mid-write."""

import threading

import numpy as np
import pytest

import orvane

WRITES = 1000


@pytest.mark.slow
def test_a_thousand_writes_survive_the_command_lines_sweeps(tmp_path, make_file, cli):
    other, _ = make_file(name="other.spf", t=2, r=1, i=1, max_samples=2000)
    target = tmp_path / "written.spf"
    rng = np.random.default_rng(7)
    t = [({"desc": f"T{n}"}, rng.integers(-500, 500, 20_000).astype("<i2")) for n in range(3)]
    r = [({"desc": "R0"}, rng.standard_normal(5_000).astype("<f4"))]

    stop = threading.Event()
    runs = []

    def convert_until_stopped():
        while not stop.is_set():
            run = cli("to-ascii", other, check=False)
            runs.append((run.returncode, run.stderr))

    converter = threading.Thread(target=convert_until_stopped)
    converter.start()
    failures = []
    try:
        for n in range(WRITES):
            try:
                orvane.write(target, {"subs": n}, t=t, r=r)
            except OSError as e:
                failures.append((n, e))
    finally:
        stop.set()
        converter.join()

    assert failures == []
    assert len(runs) > 1 and all(code == 0 for code, _ in runs), runs[:3]
    with orvane.open(target) as f:
        assert f.header["subs"] == WRITES - 1
        np.testing.assert_array_equal(f.t[2].samples, t[2][1])
    assert [p.name for p in tmp_path.iterdir() if p.name.startswith(".orvane")] == []
