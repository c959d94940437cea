"""Writing pulse files from arrays: round trips, the import's layout byte for
byte, refused dtypes and layouts, and replacement of a file being read."""

import os
import threading
import time
import tracemalloc

import numpy as np
import pytest

import orvane
from conftest import GOLDEN_CASES, GOLDEN_DIR


def test_arrays_round_trip_through_a_file(make_file, cli):
    path, records = make_file(t=5, r=3, i=4)
    assert cli("check", path).returncode == 0
    with orvane.open(path) as f:
        assert (f.header["tcnt"], f.header["rcnt"], f.header["icnt"]) == (5, 3, 4)
        assert f.header["desc"] == "generated" and f.header["rs"] == tuple(range(7))
        for kind, seq in (("T", f.t), ("R", f.r), ("I", f.i)):
            assert len(seq) == len(records[kind])
            for rec, (header, samples) in zip(seq, records[kind]):
                np.testing.assert_array_equal(rec.samples, samples)
                assert rec.header["size"] == len(samples)
                assert rec.header["desc"] == header["desc"] and rec.header["chan"] == header["chan"]
                assert rec.header["rs"] == tuple(header["rs"])


@pytest.mark.parametrize("case", GOLDEN_CASES)
def test_a_file_written_back_from_its_own_records_is_unchanged(tmp_path, case):
    # labelled/data.spf was built by an import: the layout write() follows.
    source = GOLDEN_DIR / case / "labelled" / "data.spf"
    target = tmp_path / "copy.spf"
    with orvane.open(source) as f:
        orvane.write(target, f.header, t=f.t, r=f.r, i=f.i)
    assert target.read_bytes() == source.read_bytes()


@pytest.mark.parametrize("case", GOLDEN_CASES)
def test_header_and_record_bytes_survive_any_layout(tmp_path, case):
    source = GOLDEN_DIR / case / "data.spf"
    target = tmp_path / "copy.spf"
    with orvane.open(source) as f:
        orvane.write(target, f.header, t=f.t, r=f.r, i=f.i)
        with orvane.open(target) as g:
            assert g.header.raw == f.header.raw
            for a, b in zip(f.records(), g.records()):
                assert a.header.raw == b.header.raw
                assert a.samples.tobytes() == b.samples.tobytes()


def test_layout_is_table_then_records_in_order_with_odd_pads(tmp_path):
    t = [({}, np.arange(3, dtype="<i2")), ({}, np.arange(4, dtype="<i2"))]
    r = [({}, np.ones(3, dtype="<f4"))]
    i = [({}, np.arange(1, dtype="<i2"))]
    path = tmp_path / "layout.spf"
    orvane.write(path, None, t=t, r=r, i=i)
    with orvane.open(path) as f:
        start = 316 + 4 * 4
        assert [rec.offset for rec in f.records()] == [
            start,
            start + 136 + 8,  # three samples and a pad
            start + 136 + 8 + 136 + 8,
            start + 136 + 8 + 136 + 8 + 152 + 12,  # no pad after R samples
        ]
        assert f.size == f.i[0].offset + 124 + 4 + 2  # one sample, the pad, one seal word
    data = path.read_bytes()
    assert data[start + 136 + 6 : start + 136 + 8] == b"\0\0"
    words = np.frombuffer(data, "<u2")
    assert int(words.sum(dtype=np.uint64)) % 65536 == 0


def test_counts_and_sizes_come_from_the_lists(tmp_path):
    header = {"tcnt": 99, "rcnt": 7, "magc": 1}
    records = [({"size": 1000}, np.arange(5, dtype="<i2"))]
    path = tmp_path / "counts.spf"
    orvane.write(path, header, t=records)
    with orvane.open(path) as f:
        assert (f.header["magc"], f.header["tcnt"], f.header["rcnt"], f.header["icnt"]) == (orvane.MAGIC, 1, 0, 0)
        assert f.t[0].header["size"] == 5


def test_an_empty_t_record_keeps_a_negative_size(tmp_path):
    path = tmp_path / "neg.spf"
    orvane.write(path, t=[({"size": -3}, np.zeros(0, "<i2"))])
    with orvane.open(path) as f:
        assert f.t[0].header["size"] == -3 and len(f.t[0].samples) == 0


@pytest.mark.parametrize(
    "kind, samples",
    [
        ("t", np.arange(4, dtype=np.float64)),
        ("t", np.arange(4, dtype=">i2")),
        ("t", np.arange(4, dtype=np.int32)),
        ("t", np.arange(4, dtype=np.uint16)),
        ("r", np.arange(4, dtype=np.float64)),
        ("r", np.arange(4, dtype="<i2")),
        ("i", np.arange(4, dtype=np.float32)),
        ("t", [1, 2, 3]),
        ("t", np.zeros((2, 2), "<i2")),
    ],
)
def test_wrong_dtypes_and_shapes_are_refused_before_anything_is_written(tmp_path, kind, samples):
    path = tmp_path / "refused.spf"
    with pytest.raises(TypeError):
        orvane.write(path, **{kind: [({}, samples)]})
    assert os.listdir(tmp_path) == []


def test_bad_header_values_are_refused(tmp_path):
    path = tmp_path / "refused.spf"
    for header, error in (
        ({"subs": 2**31}, OverflowError),
        ({"tcnt": -1}, OverflowError),
        ({"desc": "x" * 81}, ValueError),
        ({"desc": "\u20ac"}, ValueError),
        ({"mxpr": "1.0"}, TypeError),
        ({"subs": 1.5}, TypeError),
        ({"rs": [1, 2]}, ValueError),
        ({"nosuch": 1}, KeyError),
    ):
        with pytest.raises(error):
            orvane.write(path, header)
    with pytest.raises(TypeError):
        orvane.write(path, t=[orvane.Header("R")])
    none = np.zeros(0, "<i2")
    for records, error, where in (
        ({"t": [({}, none), ({"chan": -1}, none)]}, OverflowError, "T record 1: "),
        ({"i": [({"desc": 3}, none)]}, TypeError, "I record 0: "),
        ({"r": [(orvane.Header("T"), np.zeros(0, "<f4"))]}, TypeError, "R record 0: "),
    ):
        with pytest.raises(error, match=where):
            orvane.write(path, **records)
    assert os.listdir(tmp_path) == []


def sparse_samples(folder, count):
    """count zero T samples that take no memory: a read-only mapping of a
    sparse file, which nothing may copy."""
    path = folder / f"sparse-{count}"
    with open(path, "wb") as f:
        f.truncate(2 * count)
    return np.memmap(path, "<i2", "r", shape=(count,))


@pytest.mark.parametrize(
    "counts, code, named",
    [
        # SIZE of a T record counts up to 2^31 - 1 samples.
        ((3, 2**31), orvane.Failure.TOO_MANY_SAMPLES, "T1"),
        # The second record would start past 4 GiB.
        ((2**31 - 1, 2**31 - 1), orvane.Failure.FILE_TOO_LARGE, "32-bit offsets"),
    ],
)
def test_records_no_file_can_hold_are_refused_before_anything_is_copied_or_written(tmp_path, counts, code, named):
    (tmp_path / "sparse").mkdir()
    records = [({}, sparse_samples(tmp_path / "sparse", n)) for n in counts]
    path = tmp_path / "huge.spf"
    path.write_bytes(b"old")
    tracemalloc.start()
    try:
        with pytest.raises(orvane.LayoutError) as err:
            orvane.write(path, t=records)
        peak = tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()
    e = err.value
    assert isinstance(e, ValueError) and e.code == code and e.path == str(path)
    assert named in str(e) and str(e).endswith("nothing was written")
    assert peak < 2**24
    assert path.read_bytes() == b"old"
    assert sorted(os.listdir(tmp_path)) == ["huge.spf", "sparse"]


def test_samples_are_written_from_the_arrays_while_other_threads_run(tmp_path):
    samples = np.full(40_000_000, 3, "<i2")
    path = tmp_path / "big.spf"
    window = {}

    def write():
        window["start"] = time.perf_counter()
        orvane.write(path, t=[({}, samples)], i=[({}, samples[:1000])])
        window["end"] = time.perf_counter()

    tracemalloc.start()
    try:
        worker = threading.Thread(target=write)
        # The main thread's first and last step while the write runs; kept,
        # not listed, so that stepping allocates nothing.
        first = last = None
        worker.start()
        while worker.is_alive():
            if "start" in window and "end" not in window:
                last = time.perf_counter()
                first = first or last
            sum(range(200))
        worker.join()
        peak = tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()
    assert peak < samples.nbytes // 8  # no copy of the samples
    # Held, the GIL would give the main thread one switch interval at most.
    took = window["end"] - window["start"]
    assert first is not None and last - first > took / 2, f"steps over {last - first:.3f} s of {took:.3f} s"
    with orvane.open(path) as f:
        assert f.t[0].header["size"] == len(samples) and (f.t[0].samples == 3).all()


def test_open_arrays_survive_the_file_being_replaced(make_file):
    path, records = make_file(t=2, r=1, i=0, seed=5)
    f = orvane.open(path)
    old = f.t[0].samples
    copy = old.copy()
    orvane.write(path, None, t=[({}, np.full(len(copy), 7, "<i2"))] * 2)
    np.testing.assert_array_equal(old, copy)
    f.close()
    with orvane.open(path) as g:
        assert (g.t[0].samples == 7).all()


def test_records_of_another_kind_are_refused(make_file, tmp_path):
    path, _ = make_file()
    with orvane.open(path) as f:
        with pytest.raises(TypeError, match="R record"):
            orvane.write(tmp_path / "x.spf", t=[f.r[0]])
