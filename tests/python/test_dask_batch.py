"""examples/convert_many.py on a local Dask cluster of two worker processes:
twenty files each way, the same bytes as orvane-cli."""

import os
import shutil
import subprocess
import sys

import pytest

from conftest import SOURCE_DIR

pytest.importorskip("distributed")

SCRIPT = SOURCE_DIR / "examples" / "convert_many.py"


def folder_bytes(folder):
    return {p.name: p.read_bytes() for p in sorted(folder.iterdir())}


def run_batch(*args):
    return subprocess.run(
        [sys.executable, str(SCRIPT), *map(str, args), "--workers", "2"],
        capture_output=True,
        text=True,
        timeout=600,
        env=dict(os.environ),
    )


@pytest.mark.slow
def test_twenty_files_on_two_workers_match_the_command_line(tmp_path, make_file, cli):
    mine, theirs = tmp_path / "mine", tmp_path / "theirs"
    mine.mkdir()
    for n in range(20):
        path, _ = make_file(name=f"pulse{n:02d}.spf", t=2 + n % 3, r=n % 2, i=1, seed=n, max_samples=3000)
        shutil.move(path, mine / path.name)
    shutil.copytree(mine, theirs)

    run = run_batch(mine)
    assert run.returncode == 0, run.stderr
    assert "20 of 20 files converted" in run.stdout
    assert "20/20 files" in run.stderr  # the progress bar's last state
    cli("to-ascii", *sorted(theirs.glob("*.spf")))
    assert folder_bytes(mine) == folder_bytes(theirs)

    for d in (mine, theirs):
        for p in d.glob("*.spf"):
            p.unlink()
    run = run_batch(mine, "--from-text")
    assert run.returncode == 0, run.stderr
    cli("from-ascii", *sorted(theirs.glob("*.pfh")))
    assert folder_bytes(mine) == folder_bytes(theirs)


@pytest.mark.slow
def test_a_bad_file_fails_only_itself(tmp_path, make_file):
    folder = tmp_path / "in"
    folder.mkdir()
    for n in range(3):
        path, _ = make_file(name=f"p{n}.spf", seed=n)
        shutil.move(path, folder / path.name)
    (folder / "p1.spf").write_bytes(b"not a pulse file" * 40)
    run = run_batch(folder, "--no-headers")
    assert run.returncode == 1
    assert "2 of 3 files converted" in run.stdout
    assert f"{folder / 'p1.spf'}: Invalid magic number" in run.stderr
    assert (folder / "p0.pfh").is_file() and (folder / "p2.pfh").is_file()
