"""Every exception of a failed command says which file failed and why: the
file in e.path (e.filename for an OSError) and in its text, so that a batch
of files can tell them apart; a file the system refused is the OSError of
the system's error number with its errno and strerror, as orvane-cli reports
it; and a damaged file is reported by the first problem the structure check
finds, whichever command meets it."""

import errno
import json
import os
import shutil
import subprocess
import sys

import pytest

import orvane
from conftest import GOLDEN_DIR


def flipped(path, at):
    data = bytearray(path.read_bytes())
    data[at] ^= 1
    path.write_bytes(bytes(data))


def damaged_checksum(case):
    flipped(case / "data.spf", 500)
    return case / "data.spf"


def damaged_magic(case):
    flipped(case / "data.spf", 0)
    return case / "data.spf"


def cut_short(case):
    spf = case / "data.spf"
    spf.write_bytes(spf.read_bytes()[:100])
    return spf


def missing(case):
    (case / "data.spf").unlink()
    return case / "data.spf"


# Each command on the files of a case: the call and the file its failure names.
COMMANDS = {
    "open": (lambda spf: orvane.open(spf), lambda spf: spf),
    "to_text": (lambda spf: orvane.to_text(spf), lambda spf: spf),
    "get_power": (lambda spf: orvane.get_power(spf), lambda spf: spf),
    "set_power": (lambda spf: orvane.set_power(spf, [10]), lambda spf: spf),
}
DAMAGES = [damaged_checksum, damaged_magic, cut_short, missing]


@pytest.mark.parametrize("damage", DAMAGES, ids=lambda d: d.__name__)
@pytest.mark.parametrize("command", COMMANDS)
def test_the_file_is_in_the_exception_and_its_text(golden, damage, command):
    spf = damage(golden("mixed") / "labelled")
    call, named = COMMANDS[command]
    with pytest.raises(Exception) as err:
        call(spf)
    e = err.value
    where = str(named(spf))
    assert getattr(e, "path", None) == where or getattr(e, "filename", None) == where, repr(e)
    assert where in str(e)
    if damage is missing:
        assert isinstance(e, FileNotFoundError) and (e.errno, e.filename) == (errno.ENOENT, where)
        assert e.strerror == os.strerror(errno.ENOENT)
    else:
        assert isinstance(e, orvane.FormatError) and not isinstance(e, OSError)


def test_import_failures_name_the_text_file(golden):
    case = golden("mixed") / "labelled"
    (case / "data.T1").write_text("SIZE: many\n")
    with pytest.raises(orvane.ConversionError) as err:
        orvane.from_text(case / "data.pfh")
    assert err.value.path == str(case / "data.T1") and str(case / "data.T1") in str(err.value)
    shutil.copy(GOLDEN_DIR / "mixed" / "labelled" / "data.T1", case / "data.T1")
    (case / "data.R0").unlink()
    with pytest.raises(FileNotFoundError) as err:
        orvane.from_text(case / "data.pfh")
    assert err.value.filename == str(case / "data.R0") and str(case / "data.R0") in str(err.value)


def test_the_text_is_what_orvane_cli_prints_after_its_name(cli, golden):
    spf = damaged_checksum(golden("mixed") / "labelled")
    with pytest.raises(orvane.ChecksumError) as err:
        orvane.to_text(spf)
    line = cli("to-ascii", spf, check=False).stderr.decode().strip()
    assert line == f"orvane-cli: {err.value}"
    assert err.value.message == f"checksum error:  {err.value.message.split()[-1]}"  # the status text as it was


def test_a_short_piece_is_too_short_for_every_command(golden):
    spf = cut_short(golden("mixed") / "labelled")
    with orvane.open(spf, verify=False) as f:
        first = f.problems[0]
    # 100 bytes hold no whole header: nothing else about them can be judged.
    assert first.code == orvane.Failure.BINARY_READ_ERROR_ON
    with pytest.raises(orvane.FormatError) as opened:
        orvane.open(spf)
    with pytest.raises(orvane.FormatError) as converted:
        orvane.to_text(spf)
    assert opened.value.code == converted.value.code == first.code
    assert orvane.validate(spf) is False
    for command in (lambda: orvane.get_power(spf), lambda: orvane.set_power(spf, [10])):
        with pytest.raises(orvane.FormatError) as err:
            command()
        assert first.message in str(err.value)


# Runs a command with the size of every file it writes limited, as a quota
# would: the write fails with EFBIG.
LIMITED = """
import json, resource, signal, sys
import orvane
signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
resource.setrlimit(resource.RLIMIT_FSIZE, (int(sys.argv[2]), resource.RLIM_INFINITY))
try:
    getattr(orvane, sys.argv[1])(sys.argv[3], output_dir=sys.argv[4])
    print(json.dumps(None))
except OSError as e:
    print(json.dumps({"errno": e.errno, "strerror": e.strerror, "filename": e.filename, "text": str(e),
                      "conversion": isinstance(e, orvane.ConversionError)}))
"""


@pytest.mark.parametrize("command, given", [("to_text", "data.spf"), ("from_text", "data.pfh")])
def test_a_write_the_system_refuses_carries_its_error_number(tmp_path, command, given):
    case = tmp_path / "case"
    shutil.copytree(GOLDEN_DIR / "larger" / "labelled", case)
    out = tmp_path / "out"
    out.mkdir()
    run = subprocess.run(
        [sys.executable, "-c", LIMITED, command, "4096", str(case / given), str(out)],
        capture_output=True,
        text=True,
        env=dict(os.environ, PYTHONPATH=os.path.dirname(os.path.dirname(orvane.__file__))),
    )
    assert run.returncode == 0, run.stderr
    seen = json.loads(run.stdout)
    assert seen is not None, "the limit did not stop the command"
    assert (seen["errno"], seen["strerror"]) == (errno.EFBIG, os.strerror(errno.EFBIG))
    assert seen["conversion"] and seen["filename"].startswith(str(out)) and seen["filename"] in seen["text"]


@pytest.fixture
def full_disk(tmp_path):
    """A folder on a 64 KiB tmpfs (only the superuser can mount one)."""
    if os.geteuid() != 0:
        pytest.skip("mounting a small tmpfs needs the superuser")
    folder = tmp_path / "full"
    folder.mkdir()
    mount = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", str(folder)], capture_output=True)
    if mount.returncode != 0:
        pytest.skip(f"cannot mount a tmpfs: {mount.stderr.decode().strip()}")
    yield folder
    subprocess.run(["umount", "-l", str(folder)], check=True)


def test_a_full_disk_is_the_oserror_of_enospc_as_the_command_line_says(cli, full_disk, make_file):
    spf, _ = make_file(t=4, r=2, i=2, max_samples=2500)
    shutil.copy(spf, full_disk / "data.spf")
    with pytest.raises(OSError) as err:
        orvane.to_text(full_disk / "data.spf")
    e = err.value
    assert isinstance(e, orvane.ConversionError)
    assert (e.errno, e.strerror) == (errno.ENOSPC, os.strerror(errno.ENOSPC))
    assert e.filename == e.path and e.path.startswith(str(full_disk)) and e.path in str(e)
    line = cli("to-ascii", full_disk / "data.spf", check=False).stderr.decode()
    assert f"{e.message}: {e.strerror}" in line
