"""to_text(exact=True) gives back every bit through from_text, and to_text
names, as orvane.TextWarning, every value its default text will not give
back: the same warnings orvane-cli prints, none for a file that
round-trips."""

import shutil
import warnings

import numpy as np
import pytest

import orvane

LAYOUTS = [("labelled", True, []), ("bare", False, ["--no-headers"])]


def real(bits):
    return np.array([bits], "<u4").view("<f4")[0]


def padded(text):
    """A text field as the import stores it: blanks up to 79 characters and a NUL."""
    return text.ljust(79)


def hard_reals(rng, count):
    """Reals of any bits, with the ones text finds hardest among them."""
    bits = rng.integers(0, 2**32, count, dtype=np.uint64).astype("<u4")
    special = np.array(
        [0x00000001, 0x807FFFFF, 0x00000000, 0x80000000, 0x7F800000, 0xFF800000, 0x7FC00000,
         0x7FC00001, 0xFF812345, 0x7F800001, 0x7F7FFFFF, 0x00800000, 0x4B7FFFFF, 0x3E3D7259],
        "<u4",
    )
    bits[: len(special)] = special[:count]
    return bits.view("<f4")


def file_of_hard_reals(path, rng, desc="tricky reals"):
    header = {"desc": padded(desc), "pnam": padded(""), "pdes": padded("x" * 79), "mxpr": real(0x1A87_E7E3)}
    r = [
        ({"desc": padded(f"R{n}"), "rate": real(0x3E3D7259), "fhz0": real(0x7FA00001), "fhzn": real(0x00000003)},
         hard_reals(rng, size))
        for n, size in enumerate((0, 1, 37, 400))
    ]
    t = [({"desc": padded("T0"), "gain": real(0x2FB5_5555)}, np.arange(-5, 6, dtype="<i2"))]
    orvane.write(path, header, t=t, r=r)


@pytest.mark.parametrize("layout, labelled, flags", LAYOUTS)
def test_the_exact_layout_gives_back_every_bit(tmp_path, layout, labelled, flags):
    path = tmp_path / "data.spf"
    file_of_hard_reals(path, np.random.default_rng(24))
    original = path.read_bytes()
    with warnings.catch_warnings():
        warnings.simplefilter("error", orvane.TextWarning)
        orvane.to_text(path, labelled=labelled, exact=True)
    path.unlink()
    orvane.from_text(tmp_path / "data.pfh", labelled=labelled)
    assert path.read_bytes() == original
    # The exact text is what orvane-cli --exact writes.
    r3 = (tmp_path / "data.R3").read_text()
    assert "nan(0x" in r3 and " 1.40129846e-045" in r3


@pytest.mark.parametrize("layout, labelled, flags", LAYOUTS)
def test_the_default_export_warns_as_the_command_line_does(cli, tmp_path, layout, labelled, flags):
    mine, theirs = tmp_path / "mine", tmp_path / "theirs"
    mine.mkdir()
    file_of_hard_reals(mine / "data.spf", np.random.default_rng(7), desc="run #5 calibration")
    shutil.copytree(mine, theirs)
    with pytest.warns(orvane.TextWarning) as caught:
        orvane.to_text(mine / "data.spf", labelled=labelled)
    printed = cli(*flags, "-q", "to-ascii", theirs / "data.spf").stderr.decode().splitlines()
    assert [str(w.message).replace(str(mine), str(theirs)) for w in caught] == [
        line.removeprefix("orvane-cli: warning: ") for line in printed
    ]
    texts = [str(w.message) for w in caught]
    assert f"{mine / 'data.pfh'}: DESC holds a \"#\": the import drops it and everything after it" in texts
    assert any(t.startswith(f"{mine / 'data.R3'}: ") and "of 400 samples need nine digits" in t for t in texts)
    assert any(t.startswith(f"{mine / 'data.R3'}: ") and "samples are NaNs with a payload" in t for t in texts)
    assert f"{mine / 'data.T0'}: GAIN 3.298434e-10 needs more than six decimals and will come back as 0.000000; --exact keeps it" in texts
    assert issubclass(orvane.TextWarning, UserWarning)


def test_the_exact_layout_still_warns_of_a_hash(tmp_path):
    path = tmp_path / "data.spf"
    file_of_hard_reals(path, np.random.default_rng(3), desc="run #5 calibration")
    with pytest.warns(orvane.TextWarning) as caught:
        orvane.to_text(path, exact=True)
    assert [str(w.message) for w in caught] == [
        f"{tmp_path / 'data.pfh'}: DESC holds a \"#\": the import drops it and everything after it"
    ]


def test_a_file_that_round_trips_gives_no_warning(tmp_path):
    path = tmp_path / "data.spf"
    header = {"desc": padded("plain"), "pnam": padded(""), "pdes": padded(""), "mxpr": 2.5}
    t = [({"desc": padded("T0"), "gain": 0.5, "rate": 1000.5}, np.arange(-5, 6, dtype="<i2"))]
    r = [({"desc": padded("R0"), "rate": 0.25}, np.array([1.5, -0.0, np.inf, np.nan, 1e-45], "<f4"))]
    orvane.write(path, header, t=t, r=r)
    original = path.read_bytes()
    with warnings.catch_warnings():
        warnings.simplefilter("error", orvane.TextWarning)
        orvane.to_text(path)
    path.unlink()
    orvane.from_text(tmp_path / "data.pfh")
    assert path.read_bytes() == original
