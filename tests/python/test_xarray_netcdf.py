"""Pulse files as xarray Datasets and NetCDF-4 files, and back: every
record a variable viewing its samples over its own time coordinate, the
headers as attributes of their stored types, NetCDF files that xarray
reads back value for value, and the way back to the same pulse file byte
for byte. Values are checked against the arrays written and against the
file's own bytes, not against the module's reading."""

import struct

import numpy as np
import pytest

import orvane
from conftest import GOLDEN_CASES, GOLDEN_DIR

xr = pytest.importorskip("xarray")

MAGIC = 0x35799753
SIGNALLING_NAN = np.frombuffer(struct.pack("<I", 0x7FA00001), "<f4")[0]  # a NaN with a payload
FILE_HEADER = {
    "desc": "run 7 \xe9t\xe9",  # latin-1 beyond ASCII
    "subs": -5,
    "pnam": "p" * 79,
    "pdes": "",
    "time": -1,
    "pid": 65535,
    "unus": 1,
    "mxpr": SIGNALLING_NAN,
    "rs": [-(2**31), 2**31 - 1, 0, 1, 2, 3, 4],
}


def write_records(path):
    """A file of every kind of record with rates and values at their edges,
    and what was written: (file header, {kind: [(header, samples)]})."""
    rng = np.random.default_rng(11)
    extremes = np.array([-32768, -32767, -1, 0, 32767], "<i2")
    reals = np.array([np.nan, SIGNALLING_NAN, -0.0, np.inf, -np.inf, 1.5e-45, 3.4e38], "<f4")
    written = {
        "T": [
            ({"desc": "t" * 80, "chan": 2**32 - 1, "rate": 1000.5, "gain": 0.25, "size": 5, "rs": [-1] * 6}, extremes),
            ({"desc": "no rate", "offs": -7, "fhz0": -0.0, "fhzn": np.inf}, rng.integers(-99, 99, 33).astype("<i2")),
            ({"desc": "empty", "rate": 8.0}, np.zeros(0, "<i2")),
        ],
        "R": [
            ({"desc": "reals", "rate": 250.0, "samp": -3, "ffsz": 2**31 - 1, "rs": list(range(6))}, reals),
            ({"rate": np.nan, "fcoe": 4}, rng.standard_normal(20).astype("<f4")),
        ],
        "I": [({"desc": "i", "chan": 3, "rate": -2.0, "rs": list(range(-4, 4))}, extremes[::-1].copy())],
    }
    orvane.write(path, FILE_HEADER, **{k.lower(): v for k, v in written.items()})
    return written


def axis(rate, count):
    if np.isfinite(rate) and rate > 0:
        return np.arange(count) / float(np.float32(rate)), "s"
    return np.arange(count, dtype=np.float64), "sample"


def expected_attrs(kind, header, count):
    """A record header's attributes as written, in their stored types."""
    fields = {"T": ["chan", "rate", "offs", "gain", "type", "size", "fhz0", "fhzn"],
              "R": ["chan", "rate", "pfdf", "pfas", "ffsz", "ffdf", "ifsz", "samp", "fcoe", "size", "fhz0", "fhzn"],
              "I": ["chan", "rate", "size"]}[kind]
    types = {"chan": np.uint32, "rate": np.float32, "gain": np.float32, "fhz0": np.float32, "fhzn": np.float32}
    types["size"] = np.int32 if kind == "T" else np.uint32
    want = {"desc": header.get("desc", "")}
    for label in fields:
        value = count if label == "size" else header.get(label, 0)
        want[label] = types.get(label, np.int32)(value)
    want["rs"] = np.array(header.get("rs", [0] * {"T": 6, "R": 6, "I": 8}[kind]), np.int32)
    return want


def assert_same_attrs(got, want):
    assert list(got) == list(want)
    for label, value in want.items():
        if isinstance(value, str):
            assert got[label] == value, label
        else:
            # Same type and the same bits (a NaN's payload included).
            assert np.asarray(got[label]).dtype == value.dtype, label
            assert np.asarray(got[label]).tobytes() == np.asarray(value).tobytes(), label


def assert_holds_what_was_written(ds, written):
    assert list(ds.data_vars) == [f"{k}{n}" for k in "TRI" for n in range(len(written[k]))]
    for kind, records in written.items():
        for n, (header, samples) in enumerate(records):
            name = f"{kind}{n}"
            var, dim = ds[name], f"{name}_time"
            assert var.dims == (dim,) and var.dtype == samples.dtype
            assert np.asarray(var.values).tobytes() == samples.tobytes()  # bit for bit
            times, unit = axis(np.float32(header.get("rate", 0.0)), len(samples))
            np.testing.assert_array_equal(ds[dim].values, times)
            assert ds[dim].dtype == np.float64 and ds[dim].attrs == {"units": unit}
            assert_same_attrs(var.attrs, expected_attrs(kind, header, len(samples)))
    file_attrs = {"magc": np.uint32(MAGIC), "desc": FILE_HEADER["desc"], "subs": np.int32(-5), "pnam": "p" * 79,
                  "pdes": "", "fmin": np.int32(0), "fmax": np.int32(0), "time": np.int32(-1), "pid": np.uint16(65535),
                  "unus": np.uint16(1), "styp": np.int32(0), "ptyp": np.int32(0),
                  "tcnt": np.uint32(3), "rcnt": np.uint32(2), "icnt": np.uint32(1),
                  "mxpr": SIGNALLING_NAN, "rs": np.array(FILE_HEADER["rs"], np.int32)}
    assert_same_attrs(ds.attrs, file_attrs)


def test_a_dataset_holds_every_record_as_a_view_over_its_own_time(tmp_path):
    written = write_records(tmp_path / "data.spf")
    with orvane.open(tmp_path / "data.spf") as f:
        ds = f.to_xarray()
        records = f.records()
    assert_holds_what_was_written(ds, written)
    for rec in records:
        data = ds[rec.name].data
        assert isinstance(data, np.ndarray) and not data.flags.writeable
        if len(rec):
            assert np.shares_memory(data, rec.samples)  # the mapping itself, no copy

    # The time coordinates are computed for what is read, and not indexed;
    # an index set on one selects by seconds.
    assert len(ds.xindexes) == 0
    np.testing.assert_array_equal(ds["T0_time"][1:4].values, np.arange(1, 4) / 1000.5)
    np.testing.assert_array_equal(ds["T1"].isel(T1_time=slice(30, None, -7))["T1_time"].values, [30, 23, 16, 9, 2])
    assert float(ds["R0_time"][-1]) == 6 / 250
    np.testing.assert_array_equal(ds["T1_time"][[0, -1, 5]].values, [0, 32, 5])
    with pytest.raises(IndexError):
        ds["T1_time"][[33]].values
    picked = ds["T1"].set_xindex("T1_time").sel(T1_time=slice(2.5, 6))
    np.testing.assert_array_equal(picked.values, written["T"][1][1][3:7])
    picked = ds["R0"].set_xindex("R0_time").sel(R0_time=[0.008, 0.012])
    assert picked.values.tobytes() == written["R"][0][1][[2, 3]].tobytes()


def test_a_closed_file_gives_no_dataset(make_file):
    path, _ = make_file()
    f = orvane.open(path)
    f.close()
    with pytest.raises(ValueError, match="closed"):
        f.to_xarray()


@pytest.mark.parametrize("source", ["name", "open file", "dataset", "name, time axes one per call"])
def test_netcdf_gives_back_every_value_and_attribute(tmp_path, monkeypatch, source):
    netCDF4 = pytest.importorskip("netCDF4")
    path, out = tmp_path / "data.spf", tmp_path / "data.nc"
    written = write_records(path)
    if source.endswith("one per call"):  # as the axes of large files go
        from orvane import _xarray

        monkeypatch.setattr(_xarray, "_AXES_AT_ONCE", 8)
    with orvane.open(path) as f:
        orvane.to_netcdf({"open file": f, "dataset": f.to_xarray()}.get(source, path), out)
    with xr.open_dataset(out) as ds:
        ds.load()
    assert_holds_what_was_written(ds, written)

    # As stored: the samples in their own types, no fill value anywhere.
    with netCDF4.Dataset(out) as nc:
        assert nc.data_model == "NETCDF4"
        for name, var in nc.variables.items():
            assert "_FillValue" not in var.ncattrs(), name
            want = np.float64 if name.endswith("_time") else ("<f4" if name[0] == "R" else "<i2")
            assert var.dtype == np.dtype(want), name


def test_netcdf_converts_attributes_it_cannot_hold(tmp_path, make_file):
    pytest.importorskip("netCDF4")
    path, _ = make_file(t=1, r=0, i=0)
    with orvane.open(path) as f:
        ds = f.to_xarray()
    ds.attrs.update(checked=True, pair=(3, 4), names=["a", "b"])
    ds["T0"].attrs.update(flags=[True, False], span=range(3))
    orvane.to_netcdf(ds, tmp_path / "data.nc")
    assert ds.attrs["checked"] is True and ds.attrs["pair"] == (3, 4)  # the Dataset given stays as it was
    with xr.open_dataset(tmp_path / "data.nc") as back:
        assert back.attrs["checked"] == 1
        np.testing.assert_array_equal(back.attrs["pair"], [3, 4])
        assert list(back.attrs["names"]) == ["a", "b"]
        np.testing.assert_array_equal(back["T0"].attrs["flags"], [1, 0])
        np.testing.assert_array_equal(back["T0"].attrs["span"], [0, 1, 2])


def test_a_file_that_cannot_be_read_writes_no_netcdf(tmp_path, make_file):
    pytest.importorskip("netCDF4")
    with pytest.raises(FileNotFoundError):
        orvane.to_netcdf(tmp_path / "missing.spf", tmp_path / "out.nc")
    path, _ = make_file()
    data = bytearray(path.read_bytes())
    data[400] ^= 1
    path.write_bytes(bytes(data))
    with pytest.raises(orvane.ChecksumError):
        orvane.to_netcdf(path, tmp_path / "out.nc")
    assert not (tmp_path / "out.nc").exists()


def golden_files():
    """The golden pulse files laid out as this system writes files (two of
    them carry more than one checksum word, which no writer reproduces)."""
    for case in GOLDEN_CASES:
        for name in ("data.spf", "labelled/data.spf", "bare/data.spf"):
            yield f"{case}/{name}"


def test_a_file_to_a_dataset_or_netcdf_and_back_is_the_same_file(tmp_path):
    pytest.importorskip("netCDF4")
    write_records(tmp_path / "edges.spf")
    sources = [tmp_path / "edges.spf"] + [GOLDEN_DIR / name for name in golden_files()]
    compared = 0
    for n, source in enumerate(sources):
        original = source.read_bytes()
        copy = tmp_path / f"copy{n}.spf"
        with orvane.open(source) as f:
            orvane.write(copy, f.header, t=f.t, r=f.r, i=f.i)
            if copy.read_bytes() != original:
                continue  # a layout no writer gives: extra checksum words
            orvane.from_xarray(f.to_xarray(), tmp_path / f"direct{n}.spf")
            orvane.to_netcdf(f, tmp_path / f"data{n}.nc")
        with xr.open_dataset(tmp_path / f"data{n}.nc") as ds:
            orvane.from_xarray(ds, tmp_path / f"netcdf{n}.spf")
        assert (tmp_path / f"direct{n}.spf").read_bytes() == original, source
        assert (tmp_path / f"netcdf{n}.spf").read_bytes() == original, source
        compared += 1
    assert compared >= len(sources) - 2


def test_text_stored_after_its_nul_goes_back_unless_the_text_changed(tmp_path):
    path = tmp_path / "data.spf"
    raw = b"short\0" + bytes(range(1, 75))  # another program's leftovers after the NUL
    orvane.write(path, {"desc": raw, "pnam": "plain"}, t=[({"desc": raw}, np.arange(3, dtype="<i2"))])
    with orvane.open(path) as f:
        ds = f.to_xarray()
    assert ds.attrs["desc"] == "short" and ds.attrs["desc_raw"].tobytes() == raw
    assert "pnam_raw" not in ds.attrs and ds["T0"].attrs["desc_raw"].tobytes() == raw

    orvane.from_xarray(ds, tmp_path / "same.spf")
    assert (tmp_path / "same.spf").read_bytes() == path.read_bytes()

    ds.attrs["desc"] = "longer text"
    orvane.from_xarray(ds, tmp_path / "changed.spf")
    stored = (tmp_path / "changed.spf").read_bytes()[4:84]
    assert stored == b"longer text".ljust(80, b"\0")
    assert (tmp_path / "changed.spf").read_bytes()[84:-2] == path.read_bytes()[84:-2]  # all but the checksum


def test_records_come_back_in_number_order_and_other_variables_stay_out(tmp_path):
    samples = {n: np.full(n + 1, n, "<i2") for n in (0, 2, 10)}
    ds = xr.Dataset(
        {
            "T10": ("a", samples[10], {"desc": "ten", "gain": np.float32(1.5)}),
            "T2": ("b", samples[2], {"desc": "two", "unknown": 1}),
            "T0": ("c", samples[0]),
            "R0": ("d", np.array([0.5], "<f4"), {"rate": 2.0}),
            "T01": ("e", np.zeros(4, "<i2")),
            "X0": ("f", np.zeros(4, "<i2")),
            "T0_filtered": ("c", samples[0]),
        },
        attrs={"desc": "rebuilt", "subs": 9, "tcnt": 99},
    )
    orvane.from_xarray(ds, tmp_path / "out.spf")
    with orvane.open(tmp_path / "out.spf") as f:
        assert (f.header["desc"], f.header["subs"], f.header["tcnt"], f.header["rcnt"]) == ("rebuilt", 9, 3, 1)
        assert [rec.header["desc"] for rec in f.t] == ["", "two", "ten"]
        for rec, n in zip(f.t, (0, 2, 10), strict=True):
            np.testing.assert_array_equal(rec.samples, samples[n])
        assert f.t[2].header["gain"] == 1.5 and f.r[0].header["rate"] == 2.0 and len(f.i) == 0


def test_samples_of_another_type_are_refused_and_nothing_is_written(tmp_path, make_file):
    path, _ = make_file(t=2, r=1, i=0)
    with orvane.open(path) as f:
        ds = f.to_xarray()
    wider = ds.assign(T1=ds["T1"].astype(np.float64))
    with pytest.raises(TypeError, match=r"T record 1: samples have dtype <f8"):
        orvane.from_xarray(wider, tmp_path / "out.spf")
    narrower = ds.assign(R0=ds["R0"].astype(np.int16))
    with pytest.raises(TypeError, match=r"R record 0: samples have dtype <i2"):
        orvane.from_xarray(narrower, tmp_path / "out.spf")
    bad_field = ds.copy()
    bad_field["T0"].attrs["chan"] = -1
    with pytest.raises(OverflowError, match="chan = -1"):
        orvane.from_xarray(bad_field, tmp_path / "out.spf")
    assert not (tmp_path / "out.spf").exists()
