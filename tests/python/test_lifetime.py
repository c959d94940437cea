"""Arrays outlive close() and the objects that made them: the mapping stays
until the last array that points into it is gone, and not longer."""

import gc
import os

import numpy as np
import pytest

import orvane


def mapped(path):
    """True while the process maps path."""
    target = os.path.realpath(path)
    with open("/proc/self/maps") as maps:
        return any(line.rstrip("\n").endswith(target) for line in maps)


def test_arrays_survive_close_and_garbage_collection(make_file):
    path, records = make_file(t=3, r=2, i=1)
    with orvane.open(path) as f:
        t0 = f.t[0].samples
        r1 = f.r[1].samples
        headers = f.t.headers()
    del f
    gc.collect()
    np.testing.assert_array_equal(t0, records["T"][0][1])
    np.testing.assert_array_equal(r1, records["R"][1][1])
    assert headers[2]["desc"] == "T record 2"
    # Derived views keep the mapping too.
    tail = t0[1:][::2]
    del t0
    gc.collect()
    np.testing.assert_array_equal(tail, records["T"][0][1][1:][::2])


def test_the_mapping_is_released_with_the_last_array(make_file):
    path, _ = make_file()
    f = orvane.open(path)
    samples = f.i[0].samples
    record = f.t[1]
    f.close()
    assert mapped(path)
    del record
    gc.collect()
    assert mapped(path)
    del samples
    gc.collect()
    assert not mapped(path)


def test_a_closed_file_refuses_new_records_but_keeps_old_ones(make_file):
    path, records = make_file()
    f = orvane.open(path)
    rec = f.r[0]
    f.close()
    assert f.closed
    with pytest.raises(ValueError, match="closed"):
        f.t[0]
    with pytest.raises(ValueError, match="closed"):
        f.t.headers()
    np.testing.assert_array_equal(rec.samples, records["R"][0][1])
    assert rec.header["desc"] == "R record 0"
    assert f.header["tcnt"] == 3  # the header was read at opening


def test_many_open_and_close_cycles_leave_no_mapping(make_file):
    path, _ = make_file()
    for _ in range(200):
        with orvane.open(path) as f:
            total = sum(int(rec.samples.sum()) for rec in f.records())
    gc.collect()
    assert not mapped(path)
    assert isinstance(total, int)
