"""from_text issues each diagnostic of its text as an orvane.TextWarning,
worded as orvane-cli prints it and with the same pulse file; strict=True
refuses such text before anything is written; check_text reads a text set
and writes nothing."""

import warnings

import pytest

import orvane


def edit(path, old_start, new_line):
    """Replaces the first line of path that begins with old_start."""
    lines = path.read_bytes().split(b"\n")
    at = next(i for i, line in enumerate(lines) if line.startswith(old_start))
    lines[at] = new_line
    path.write_bytes(b"\n".join(lines))


def cli_warnings(cli, *args):
    """The diagnostics orvane-cli prints for a command, without its prefix."""
    err = cli(*args, check=False).stderr.decode()
    prefix = "orvane-cli: warning: "
    return [line[len(prefix) :] for line in err.splitlines() if line.startswith(prefix)]


def test_each_diagnostic_is_a_text_warning_as_the_command_line_prints_it(cli, golden):
    case = golden("mixed") / "labelled"
    edit(case / "data.T2", b"GAIN:", b"GAIN: 0,25")
    edit(case / "data.pfh", b"PID :", b"PID : 70000")
    with pytest.warns(orvane.TextWarning) as caught:
        built = orvane.from_text(case / "data.pfh")
    found = [w.message for w in caught if isinstance(w.message, orvane.TextWarning)]
    assert [str(w) for w in found] == cli_warnings(cli, "check", case / "data.pfh")
    pid, gain = found
    assert (pid.file, pid.line, pid.column, pid.field, pid.code) == (str(case / "data.pfh"), 9, 7, "PID", "out-of-range")
    assert str(pid) == f"{case / 'data.pfh'}:9:7: PID: 70000 does not fit in 16 bits; stored 4464"
    assert (gain.line, gain.column, gain.field, gain.code) == (5, 7, "GAIN", "not-a-number")
    assert issubclass(orvane.TextWarning, Warning)
    # The values stored, as the warnings say: the same pulse file as the
    # text that holds them.
    first = open(built, "rb").read()
    edit(case / "data.T2", b"GAIN:", b"GAIN: 0")
    edit(case / "data.pfh", b"PID :", b"PID : 4464")
    with warnings.catch_warnings():
        warnings.simplefilter("error", orvane.TextWarning)
        orvane.from_text(case / "data.pfh")
    assert open(built, "rb").read() == first


def test_clean_text_gives_no_warning(golden):
    case = golden("mixed") / "bare"
    with warnings.catch_warnings():
        warnings.simplefilter("error", orvane.TextWarning)
        orvane.from_text(case / "data.pfh", labelled=False)
        assert orvane.check_text(case / "data.pfh", labelled=False) == []


def test_strict_refuses_before_anything_is_written(golden):
    case = golden("mixed") / "labelled"
    old = (case / "data.spf").read_bytes()
    lines = (case / "data.T1").read_bytes().split(b"\n")
    lines[16] = b"    16:" + lines[16][7:]
    (case / "data.T1").write_bytes(b"\n".join(lines))
    with pytest.warns(orvane.TextWarning), pytest.raises(orvane.TextError) as err:
        orvane.from_text(case / "data.pfh", strict=True)
    assert isinstance(err.value, orvane.ConversionError)
    assert err.value.code == orvane.Failure.TEXT_NOT_EXACT
    assert err.value.message == f"Text of {case / 'data.T1'} does not match its fields; nothing written"
    [label] = err.value.diagnostics
    assert (label.line, label.column, label.field, label.code) == (17, 1, "", "sample-label")
    assert str(label).endswith("sample label 16 where 8 was expected (a line removed or added?)")
    assert (case / "data.spf").read_bytes() == old
    # Without strict the same text converts, with the same warning.
    with pytest.warns(orvane.TextWarning):
        orvane.from_text(case / "data.pfh")
    assert (case / "data.spf").read_bytes() == old


def test_warnings_turned_into_errors_stop_at_the_first(golden):
    case = golden("t-records") / "labelled"
    edit(case / "data.T0", b"SIZE:", b"SIZE: 30x")
    with warnings.catch_warnings():
        warnings.simplefilter("error", orvane.TextWarning)
        with pytest.raises(orvane.TextWarning) as err:
            orvane.check_text(case / "data.pfh")
    assert err.value.code == "trailing-text" and err.value.field == "SIZE"


def test_check_text_writes_nothing_and_raises_where_the_import_fails(golden, tmp_path):
    case = golden("mixed") / "labelled"
    (case / "data.spf").unlink()
    edit(case / "data.T0", b"DESC: ", b"DESC:Probe A")
    with pytest.warns(orvane.TextWarning):
        [blank] = orvane.check_text(case / "data.pfh")
    assert blank.code == "missing-blank" and str(blank).endswith('DESC: no blank after "DESC:"; stored "robe A"')
    assert not (case / "data.spf").exists()
    (case / "data.I1").unlink()
    with pytest.warns(orvane.TextWarning), pytest.raises(FileNotFoundError):
        orvane.check_text(case / "data.pfh")
