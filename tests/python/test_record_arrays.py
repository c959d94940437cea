"""A record as the array of its samples on its time axis: numpy gets the
view into the file itself, times follow RATE as samples per second (sample
numbers where RATE gives no time scale), and pandas gets the samples
without a copy. Every value is checked against the arrays written."""

import math

import numpy as np
import pytest

import orvane

SCALED = [1000.5, 44100.0, 0.003, 2.5e-38]
UNSCALED = [0.0, -0.0, -250.0, math.inf, -math.inf, math.nan]


def write_rates(path, rates, count=37):
    """A file with a T, an R and an I record for each rate, and what was
    written: {kind: [(rate, samples)]}."""
    rng = np.random.default_rng(5)
    written = {"T": [], "R": [], "I": []}
    for rate in rates:
        written["T"].append((rate, rng.integers(-32768, 32768, count).astype("<i2")))
        written["R"].append((rate, rng.standard_normal(count).astype("<f4")))
        written["I"].append((rate, rng.integers(-32768, 32768, count + 1).astype("<i2")))
    args = {kind.lower(): [({"rate": rate}, samples) for rate, samples in records] for kind, records in written.items()}
    orvane.write(path, None, **args)
    return written


def records_of(f):
    return {"T": f.t, "R": f.r, "I": f.i}


def test_a_record_is_the_read_only_array_of_its_samples(make_file):
    path, written = make_file(t=3, r=2, i=2)
    with orvane.open(path) as f:
        for kind, records in records_of(f).items():
            for rec, (_, samples) in zip(records, written[kind], strict=True):
                want = "<f4" if kind == "R" else "<i2"
                assert (len(rec), rec.shape, rec.dtype) == (len(samples), samples.shape, np.dtype(want))
                view = np.asarray(rec)
                assert view is rec.samples and not view.flags.writeable
                np.testing.assert_array_equal(view, samples)
                if len(samples):  # numpy says an empty array shares nothing
                    assert np.shares_memory(view, rec.samples)
                assert np.sum(rec) == pytest.approx(float(samples.astype(np.float64).sum()), rel=1e-6, abs=1e-3)

                copied = np.array(rec)  # numpy's copy=True
                assert copied.flags.writeable and not np.shares_memory(copied, rec.samples)
                np.testing.assert_array_equal(copied, rec.samples)
                widened = np.asarray(rec, dtype=np.float64)
                assert widened.dtype == np.float64
                np.testing.assert_array_equal(widened, rec.samples.astype(np.float64))

                # The dtype and copy arguments as numpy 2 passes them.
                assert rec.__array__(copy=False) is rec.samples
                assert rec.__array__(rec.dtype, copy=None) is rec.samples
                fresh = rec.__array__(copy=True)
                assert fresh is not rec.samples and fresh.flags.writeable
                np.testing.assert_array_equal(fresh, rec.samples)
                with pytest.raises(ValueError, match=f"{rec.name} holds {want} samples"):
                    rec.__array__(np.float64, copy=False)


@pytest.mark.parametrize("rate", SCALED)
def test_times_are_seconds_at_rate_samples_per_second(tmp_path, rate):
    written = write_rates(tmp_path / "rates.spf", [rate])
    stored = float(np.float32(rate))  # RATE is a 32-bit real
    with orvane.open(tmp_path / "rates.spf") as f:
        for kind, records in records_of(f).items():
            rec = records[0]
            count = len(written[kind][0][1])
            assert rec.rate == stored and rec.time_unit == "s"
            assert rec.times.dtype == np.float64
            np.testing.assert_array_equal(rec.times, np.arange(count) / stored)


@pytest.mark.parametrize("rate", UNSCALED)
def test_a_rate_that_gives_no_time_scale_gives_sample_numbers(tmp_path, rate):
    written = write_rates(tmp_path / "rates.spf", [rate])
    with orvane.open(tmp_path / "rates.spf") as f:
        for kind, records in records_of(f).items():
            rec = records[0]
            assert rec.time_unit == "sample"
            assert math.isnan(rec.rate) if math.isnan(rate) else rec.rate == rate
            np.testing.assert_array_equal(rec.times, np.arange(len(written[kind][0][1]), dtype=np.float64))
            assert rec.times.dtype == np.float64


def test_to_series_holds_the_samples_on_their_times(tmp_path, make_file):
    written = write_rates(tmp_path / "rates.spf", [1000.5, 0.0])
    pd = pytest.importorskip("pandas")
    with orvane.open(tmp_path / "rates.spf") as f:
        for kind, records in records_of(f).items():
            for rec, (rate, samples) in zip(records, written[kind], strict=True):
                series = rec.to_series()
                assert isinstance(series, pd.Series) and series.name == rec.name
                assert series.dtype == samples.dtype
                np.testing.assert_array_equal(series.to_numpy(), samples)
                assert np.shares_memory(series.to_numpy(), rec.samples)  # not a copy
                times = np.arange(len(samples)) / rate if rate else np.arange(len(samples), dtype=np.float64)
                np.testing.assert_array_equal(series.index.to_numpy(), times)
                assert series.index.name == ("time" if rate else "sample")

    # An empty record is an empty series.
    path, written = make_file(t=2, r=0, i=0)
    with orvane.open(path) as f:
        empty = f.t[1].to_series()
    assert len(written["T"][1][1]) == 0 and empty.empty and empty.name == "T1" and len(empty.index) == 0
