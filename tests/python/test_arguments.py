"""Arguments are checked as Python checks its own: a wrong value is a
ValueError and a wrong type a TypeError, each naming what was wrong, and the
same field reads the same whichever way it is read."""

import numpy as np
import pytest

import orvane


@pytest.mark.parametrize("command", [orvane.to_text, orvane.from_text])
def test_a_thread_count_below_zero_is_a_value_error_naming_threads(make_file, command):
    path, _ = make_file()
    orvane.to_text(path)
    for wrong in (-1, 2**32):
        with pytest.raises(ValueError, match=r"^threads must be .*not %d$" % wrong):
            command(path, threads=wrong)
    with pytest.raises(TypeError, match="^threads must be an integer, not float$"):
        command(path, threads=1.5)
    command(path, threads=np.int64(2))  # any integer


def test_records_take_integer_indices_only_as_a_list_does(make_file):
    path, _ = make_file(t=3)
    with orvane.open(path) as f:
        assert f.t[np.int32(1)].number == f.t[True].number == 1
        for wrong in (1.0, "1", None):
            kind = type(wrong).__name__
            with pytest.raises(TypeError, match=f"^record indices must be integers or slices, not {kind}$"):
                f.t[wrong]


def test_headers_table_reads_text_as_the_record_header_does(tmp_path):
    descs = ["plain", "Gr\xfc\xdfe \xb5V", "cut\x00after the NUL", "x" * 80, ""]
    path = tmp_path / "text.spf"
    t = [({"desc": d.encode("latin-1")}, np.zeros(2, "<i2")) for d in descs]
    orvane.write(path, {"desc": "file"}, t=t, r=[({"desc": "r"}, np.zeros(1, "<f4"))])
    with orvane.open(path) as f:
        table = f.t.headers()
        assert table["desc"].tolist() == [rec.header["desc"] for rec in f.t]
        assert table["desc"].tolist() == ["plain", "Gr\xfc\xdfe \xb5V", "cut", "x" * 80, ""]
        assert f.r.headers()["desc"][0] == "r" == f.r[0].header["desc"]
        assert f.i.headers().shape == (0,) and f.i.headers().dtype.names == orvane.dtypes["I"].names
