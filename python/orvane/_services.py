"""The engine's commands, the same engine and the same bytes as orvane-cli.

File names follow the program's rule: a trailing ".spf" or ".pfh" (exact
case) is removed to give the base name, and every file of a command is named
from it (data, data.spf and data.pfh name the same files).
"""

import operator
import os

from . import _errors, _headers, _orvane


def _name(path):
    return os.fsencode(os.fspath(path))


def _text(name):
    return os.fsdecode(name)


def base_name(path):
    """The base name of a file name: a trailing ".spf" or ".pfh" removed."""
    return _text(_orvane.derive_base_name(_name(path)))


def _output_base(path, output_dir):
    base = base_name(path)
    if output_dir is None:
        return base
    return os.path.join(os.fsdecode(os.fspath(output_dir)), os.path.basename(base))


def _convert(path, to_text, labelled, output_dir, progress, threads):
    out_dir = b"" if output_dir is None else _name(output_dir)
    outcome = _errors.Outcome(*_orvane.convert(_name(path), to_text, bool(labelled), out_dir, int(threads), progress))
    if not outcome.ok:
        raise _errors.conversion_error(outcome)


def _counts(spf):
    with open(spf, "rb") as f:
        raw = f.read(_headers.FILE.size)
    header = _headers.Header(_headers.FILE, raw)
    return header["tcnt"], header["rcnt"], header["icnt"]


def to_text(path, labelled=True, output_dir=None, progress=None, threads=0):
    """Converts BASE.spf to BASE.pfh and one text file per record, as
    "Convert to ASCII" does; labelled=False gives bare values. The files go to
    output_dir (named by the base name without its folder) or beside the
    input. progress, if given, is called as progress(done, total, status)
    with the bytes of the input done and in all. Returns the paths written;
    raises ConversionError (a FormatError too for an invalid pulse file)."""
    _convert(path, True, labelled, output_dir, progress, threads)
    out = _output_base(path, output_dir)
    tcnt, rcnt, icnt = _counts(base_name(path) + ".spf")
    names = [out + ".pfh"]
    for letter, count in (("T", tcnt), ("R", rcnt), ("I", icnt)):
        names += [f"{out}.{letter}{n}" for n in range(count)]
    return names


def from_text(path, labelled=True, output_dir=None, progress=None, threads=0):
    """Builds BASE.spf from BASE.pfh and the record text files, as "Convert
    from ASCII" does, in output_dir or beside the text files. Returns the
    path of the pulse file; raises ConversionError."""
    _convert(path, False, labelled, output_dir, progress, threads)
    return _output_base(path, output_dir) + ".spf"


def validate(path):
    """True when BASE.spf is a valid pulse file (magic number, checksum, the
    offset table and every record inside the file), as orvane-cli check
    tells; False when it is not; OSError when it cannot be read."""
    outcome = _errors.Outcome(*_orvane.validate(_name(path)))
    if outcome.ok:
        return True
    if outcome.code == _errors.Failure.CANT_OPEN_FOR_READING:
        raise _errors.open_error(outcome)
    return False


def get_power(path, progress=None):
    """The pulse power of every T record of BASE.spf: its GAIN in whole
    hundredths, as "Get Pulse Power" shows it."""
    outcome, powers, _ = _orvane.get_power(_name(path), progress)
    outcome = _errors.Outcome(*outcome)
    if not outcome.ok:
        raise _errors.conversion_error(outcome)
    return list(powers)


def set_power(path, values, progress=None):
    """Sets the pulse power of T records 0, 1, ... of BASE.spf in order, as
    "Set" does: whole hundredths, clamped to -100..100 by the engine, values
    beyond the last T record ignored; each record is written and sealed by
    itself."""
    words = []
    for v in values:
        try:
            words.append(str(operator.index(v)))
        except TypeError:
            raise TypeError(f"pulse power values are whole numbers, not {type(v).__name__}") from None
    outcome = _errors.Outcome(*_orvane.set_power(_name(path), " ".join(words).encode("ascii"), progress))
    if not outcome.ok:
        raise _errors.conversion_error(outcome)
