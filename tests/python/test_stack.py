"""orvane.stack: one record of many files as a lazy dask array, checked
against numpy, on the synchronous scheduler."""

import os
import pathlib
import pickle
import re

import numpy as np
import pytest

import orvane
from conftest import SOURCE_DIR

da = pytest.importorskip("dask.array")
dask = pytest.importorskip("dask")


def compute(x):
    return x.compute(scheduler="sync")


@pytest.fixture
def files(tmp_path):
    """Writes pulse files of T, R and I records, the same sizes in each
    file (T1 differs from file to file); returns (paths, records)."""

    def make(count, t_samples=300, r_samples=120, i_samples=77, folder="many"):
        rng = np.random.default_rng(count)
        (tmp_path / folder).mkdir()
        paths, written = [], []
        for k in range(count):
            records = {
                "T": [rng.integers(-32768, 32768, n, dtype=np.int64).astype("<i2") for n in (t_samples, 10 + k)],
                "R": [rng.standard_normal(r_samples).astype("<f4")],
                "I": [rng.integers(-32768, 32768, i_samples, dtype=np.int64).astype("<i2") for _ in range(2)],
            }
            path = tmp_path / folder / f"p{k:03d}.spf"
            orvane.write(path, None, **{kind.lower(): [(None, a) for a in recs] for kind, recs in records.items()})
            paths.append(str(path))
            written.append(records)
        return paths, written

    return make


def mapped_files(paths):
    """How many of paths are mapped into this process now."""
    with open("/proc/self/maps") as maps:
        mapped = {line.split(None, 5)[5].rstrip("\n") for line in maps if len(line.split(None, 5)) == 6}
    return len(mapped & set(paths))


def test_one_record_of_every_file_as_numpy_stacks_it(files):
    paths, written = files(5)
    for name, kind, number, dtype in (("T0", "T", 0, "<i2"), ("R0", "R", 0, "<f4"), ("I1", "I", 1, "<i2")):
        x = orvane.stack(paths, name)
        expected = np.stack([w[kind][number] for w in written])
        assert x.shape == expected.shape and x.dtype == np.dtype(dtype)
        assert x.chunks == ((5,), (expected.shape[1],))  # small records: one chunk
        result = compute(x)
        assert result.dtype == np.dtype(dtype)
        np.testing.assert_array_equal(result, expected)
        np.testing.assert_allclose(compute(x.astype("f8").mean(axis=1)), expected.astype("f8").mean(axis=1))
    # Paths in any form, a path object or bytes, read the same files.
    both = orvane.stack([os.fsencode(paths[0]), pathlib.Path(paths[1])], "T0")
    np.testing.assert_array_equal(compute(both), np.stack([written[0]["T"][0], written[1]["T"][0]]))


def test_chunks_hold_whole_records(files):
    paths, written = files(5)
    assert orvane.stack(paths, "T0", files_per_chunk=1).chunks == ((1,) * 5, (300,))
    # "auto" follows dask's chunk size: rows of 600 bytes, 2 KiB a chunk.
    with dask.config.set({"array.chunk-size": "2KiB"}):
        x = orvane.stack(paths, "T0")
    assert sum(x.chunks[0]) == 5 and len(x.chunks[0]) > 1 and max(x.chunks[0]) * 600 <= 2048
    assert x.chunks[1] == (300,)
    np.testing.assert_array_equal(compute(x), [w["T"][0] for w in written])
    # A record without samples: nothing to read, one chunk.
    for path in paths[:3]:
        orvane.write(path, None, t=[(None, np.zeros(0, "<i2"))])
    empty = orvane.stack(paths[:3], "T0")
    assert empty.shape == (3, 0) and compute(empty).shape == (3, 0)


def test_slices_and_chunks_of_several_files(files):
    paths, written = files(5)
    t0 = np.stack([w["T"][0] for w in written])
    x = orvane.stack(paths, "T0", files_per_chunk=2)
    assert x.chunks == ((2, 2, 1), (300,))
    np.testing.assert_array_equal(compute(x), t0)
    np.testing.assert_array_equal(compute(x[3]), t0[3])
    np.testing.assert_array_equal(compute(x[1:4, 10:20]), t0[1:4, 10:20])
    np.testing.assert_array_equal(compute(x[[4, 0], -1]), t0[[4, 0], -1])
    np.testing.assert_array_equal(compute(x[:, 7]), t0[:, 7])
    np.testing.assert_array_equal(compute(x[:, ::-3]), t0[:, ::-3])
    np.testing.assert_array_equal(compute(orvane.stack(paths, "T0")[::2, 5]), t0[::2, 5])


def test_a_chunk_of_one_file_is_a_view_of_its_mapping(files):
    paths, written = files(2)
    x = orvane.stack(paths, "T0", files_per_chunk=1)
    chunk = dask.get(dict(x.__dask_graph__()), (x.name, 1, 0))
    assert chunk.shape == (1, 300) and not chunk.flags.owndata and not chunk.flags.writeable
    np.testing.assert_array_equal(chunk[0], written[1]["T"][0])


def test_the_graph_carries_paths_not_samples(files):
    paths, _ = files(3, t_samples=100_000)
    x = orvane.stack(paths, "T0")
    assert len(pickle.dumps(x)) < 20_000
    np.testing.assert_array_equal(compute(pickle.loads(pickle.dumps(x))), compute(x))


@pytest.mark.parametrize("files_per_chunk", [1, "auto"])
def test_a_sum_over_many_files_maps_few_at_a_time(files, monkeypatch, files_per_chunk):
    paths, written = files(40)
    x = orvane.stack(paths, "R0", files_per_chunk=files_per_chunk)
    mapped_at_each_open = []
    real_open = orvane._reader.open

    def watched_open(path, verify=True):
        mapped_at_each_open.append(mapped_files(paths))
        return real_open(path, verify)

    monkeypatch.setattr(orvane._reader, "open", watched_open)
    total = compute(x.sum(dtype="f8"))
    assert total == pytest.approx(sum(float(w["R"][0].sum(dtype="f8")) for w in written))
    # A file's mapping goes with its row: never more than a few at a time,
    # nothing once the sum is done.
    assert len(mapped_at_each_open) == 40 and max(mapped_at_each_open) <= 2, mapped_at_each_open
    assert mapped_files(paths) == 0


def test_the_first_file_that_differs_is_named(files, tmp_path):
    paths, _ = files(4)
    with pytest.raises(ValueError) as caught:
        orvane.stack(paths, "T1")  # 10, 11, 12, 13 samples
    assert str(caught.value) == f"{paths[1]}: T1 has 11 samples of <i2, where {paths[0]} has 10 of <i2"

    short, _ = files(1, t_samples=299, folder="short")
    with pytest.raises(ValueError, match=re.escape(f"{short[0]}: T0 has 299 samples of <i2, where {paths[0]} has 300")):
        orvane.stack(paths[:2] + short + paths[2:], "T0")

    with pytest.raises(ValueError, match=re.escape(f"{paths[0]}: no R1 record (it has 1 R records)")):
        orvane.stack(paths, "R1")

    junk = tmp_path / "junk.spf"
    junk.write_bytes(b"not a pulse file" * 40)
    with pytest.raises(orvane.FormatError, match=re.escape(str(junk))):
        orvane.stack([*paths, junk], "T0")
    with pytest.raises(FileNotFoundError) as missing:
        orvane.stack([paths[0], tmp_path / "gone.spf"], "T0")
    assert missing.value.filename == str(tmp_path / "gone.spf")


def test_a_record_cut_off_by_the_end_of_the_file_is_named(files):
    paths, _ = files(2)
    os.truncate(paths[1], os.path.getsize(paths[1]) - 40)  # inside I1, the last record
    with pytest.raises(ValueError, match=re.escape(f"{paths[1]}: I1 is incomplete")):
        orvane.stack(paths, "I1")
    assert orvane.stack(paths, "I0", verify=False).shape == (2, 77)  # what lies before is whole


def test_arguments_are_checked(files):
    paths, _ = files(1)
    for bad in ("X0", "T", "t0", "T01", "T-1", " T0"):
        with pytest.raises(ValueError, match="not a record name"):
            orvane.stack(paths, bad)
    with pytest.raises(TypeError, match="record must be a name"):
        orvane.stack(paths, 0)
    with pytest.raises(TypeError, match="list of paths"):
        orvane.stack(paths[0], "T0")
    with pytest.raises(ValueError, match="at least one file"):
        orvane.stack([], "T0")
    for bad in (0, 1.5, None, "all"):
        with pytest.raises(ValueError, match="files_per_chunk"):
            orvane.stack(paths, "T0", files_per_chunk=bad)


def test_files_are_checked_in_full_when_read_unless_trusted(files):
    paths, written = files(3)
    with orvane.open(paths[2]) as f:
        at = f.r[0].offset + orvane.dtypes["R"].itemsize  # R0's first sample
    with open(paths[2], "r+b") as out:
        out.seek(at)
        out.write(b"\x00\x00\x80\x3f")  # 1.0, and the checksum no longer holds
    x = orvane.stack(paths, "T0")  # sizes are read without verifying
    with pytest.raises(orvane.ChecksumError, match=re.escape(paths[2])):
        compute(x)
    np.testing.assert_array_equal(compute(x[:2]), [w["T"][0] for w in written[:2]])  # other files only
    trusted = compute(orvane.stack(paths, "R0", verify=False))
    assert trusted[2, 0] == 1.0 and np.array_equal(trusted[2, 1:], written[2]["R"][0][1:])


def test_a_file_changed_after_stack_raises_when_read(files):
    paths, written = files(2)
    x = orvane.stack(paths, "T0")
    same = orvane.stack(paths, "T0")
    assert x.name == same.name  # the same files: the same graph, as dask caches it
    orvane.write(paths[1], None, t=[(None, np.zeros(299, "<i2"))])
    changed = f"{paths[1]}: T0 changed: 299 samples of <i2 where stack() found 300"
    with pytest.raises(ValueError, match=re.escape(changed)):
        compute(x)
    orvane.write(paths[1], None, t=[(None, np.ones(300, "<i2"))])
    assert orvane.stack(paths, "T0").name != x.name
    np.testing.assert_array_equal(compute(orvane.stack(paths, "T0"))[1], np.ones(300))


def test_the_readme_example_computes_what_it_says(files):
    paths, written = files(3)
    text = (SOURCE_DIR / "README.md").read_text()
    blocks = [b for b in re.findall(r"```python\n(.*?)```", text, re.S) if "orvane.stack(" in b]
    assert len(blocks) == 1, "the README shows orvane.stack once"
    folder = os.path.dirname(paths[0])
    scope = {}
    exec(blocks[0].replace('"run/*.spf"', repr(os.path.join(folder, "*.spf"))), scope)
    wide = np.stack([w["T"][0] for w in written]).astype("f8")
    np.testing.assert_allclose(scope["rms"], np.sqrt((wide**2).mean(axis=1)))
