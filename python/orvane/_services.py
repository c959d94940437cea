"""The engine's commands, the same engine and the same bytes as orvane-cli.

File names follow the program's rule: a trailing ".spf" or ".pfh" (exact
case) is removed to give the base name, and every file of a command is named
from it (data, data.spf and data.pfh name the same files).
"""

import operator
import os
import warnings

from . import _errors, _orvane

# The engine takes a thread count as an unsigned 32-bit number.
_MAX_THREADS = 2**32 - 1


def _name(path):
    """A path as the engine takes it: bytes, as the system names the file."""
    return os.fsencode(os.fspath(path))


def _like(path, name):
    """name (bytes) in the type path was given in: bytes for bytes, else str
    (os.fsdecode, so a name that is not UTF-8 round-trips), as os does."""
    return name if isinstance(os.fspath(path), bytes) else os.fsdecode(name)


def _base(path):
    return _orvane.derive_base_name(_name(path))


def base_name(path):
    """The base name of a file name: a trailing ".spf" or ".pfh" removed.
    bytes for a bytes path, str otherwise."""
    return _like(path, _base(path))


def _threads(threads):
    """The engine's thread count; ValueError names the argument."""
    try:
        count = operator.index(threads)
    except TypeError:
        raise TypeError(f"threads must be an integer, not {type(threads).__name__}") from None
    if not 0 <= count <= _MAX_THREADS:
        raise ValueError(f"threads must be 0 (one per core, at most 8) or a positive count, not {count}")
    return count


def _convert(path, to_text, labelled, output_dir, progress, threads, exact=False):
    """Runs one conversion; the names of the files it put in place, as
    the engine wrote them, in the type path was given in. Ctrl-C or an
    exception of progress stops the run (every existing file stays as it
    was) and is raised. What the text cannot carry is issued as
    TextWarning."""
    threads = _threads(threads)
    out_dir = b"" if output_dir is None else _name(output_dir)
    written = []
    losses = []
    outcome = _orvane.convert(
        _name(path), to_text, bool(labelled), out_dir, threads, progress, written, bool(exact), losses
    )
    for text in losses:
        warnings.warn(_errors.TextWarning(os.fsdecode(text)), stacklevel=3)
    outcome = _errors.Outcome(*outcome)
    if not outcome.ok:
        raise _errors.conversion_error(outcome)
    return [_like(path, name) for name in written]


def to_text(path, labelled=True, output_dir=None, progress=None, threads=0, exact=False):
    """Converts BASE.spf to BASE.pfh and one text file per record, as
    "Convert to ASCII" does; labelled=False gives bare values. exact=True
    writes every real with the digits that give back its bits (header reals
    with up to nine significant digits where six decimals do not do, R
    samples with nine, NaN payloads as nan(0xM)), in the same line shapes;
    from_text reads it as it is. Without it, every value that will not come
    back the same is named in a TextWarning; T and I samples always do.
    The files go to
    output_dir (named by the base name without its folder) or beside the
    input. progress, if given, is called as progress(done, total, status)
    with the bytes of the input done and in all. threads is the number of
    threads for the records, 0 for one per core (at most 8). Returns the
    paths written (bytes for a bytes path); raises ConversionError (a
    FormatError too for an invalid pulse file, the OSError of the system's
    error number for a file the system refused)."""
    return _convert(path, True, labelled, output_dir, progress, threads, exact)


def _import_text(path, labelled, output_dir, progress, threads, strict, check):
    """Runs an import (or its check) and issues each diagnostic of its text
    as a TextWarning; the outcome, the diagnostics and the files written."""
    threads = _threads(threads)
    out_dir = b"" if output_dir is None else _name(output_dir)
    written = []
    outcome, found = _orvane.import_text(
        _name(path), bool(labelled), out_dir, threads, bool(strict), check, progress, written
    )
    diagnostics = [_errors.TextWarning(*d) for d in found]
    for warning in diagnostics:
        warnings.warn(warning, stacklevel=3)
    return _errors.Outcome(*outcome), diagnostics, written


def from_text(path, labelled=True, output_dir=None, progress=None, threads=0, strict=False):
    """Builds BASE.spf from BASE.pfh and the record text files, as "Convert
    from ASCII" does, in output_dir or beside the text files. Returns the
    path of the pulse file (bytes for a bytes path); raises
    ConversionError.

    Every line of the text that does not fully match its field (a decimal
    comma, text after a number, a value its field cannot hold, a sample
    label out of place, lines after the end...) is issued as a TextWarning;
    the pulse file is the same with or without them. strict=True refuses a
    text set with any such line before anything is written: TextError, with
    the warnings in its diagnostics."""
    outcome, diagnostics, written = _import_text(path, labelled, output_dir, progress, threads, strict, False)
    if not outcome.ok:
        error = _errors.conversion_error(outcome)
        if isinstance(error, _errors.TextError):
            error.diagnostics = tuple(diagnostics)
        raise error
    return _like(path, written[0])


def check_text(path, labelled=True):
    """Reads BASE.pfh and its record text files as from_text would, writing
    nothing: the list of TextWarnings of their lines (each also issued as a
    warning), empty for a clean text set, as orvane-cli check BASE.pfh
    tells. Raises ConversionError where from_text would fail."""
    outcome, diagnostics, _ = _import_text(path, labelled, None, None, 0, False, True)
    if not outcome.ok:
        raise _errors.conversion_error(outcome)
    return diagnostics


def validate(path):
    """True when BASE.spf is a valid pulse file (magic number, checksum, the
    offset table and every record inside the file), as orvane-cli check
    tells; False when it is not; OSError when it cannot be read."""
    outcome = _errors.Outcome(*_orvane.validate(_name(path)))
    if outcome.ok:
        return True
    if outcome.error or outcome.code == _errors.Failure.CANT_OPEN_FOR_READING:
        raise _errors.open_error(outcome)
    return False


def get_power(path, progress=None):
    """The pulse power of every T record of BASE.spf: its GAIN in whole
    hundredths, as "Get Pulse Power" shows it. A GAIN that has none (NaN,
    infinite, too large) gives the value the text shows and a
    RuntimeWarning naming the file and the record."""
    outcome, powers, _, unshown = _orvane.get_power(_name(path), progress)
    outcome = _errors.Outcome(*outcome)
    if not outcome.ok:
        raise _errors.conversion_error(outcome)
    # A GAIN without whole hundredths (NaN, infinite, beyond an int) is
    # shown as the text shows it, and named.
    for record, _gain, text in unshown:
        spf = os.fsdecode(_base(path) + b".spf")
        warnings.warn(f"{spf}: {record}: {text}", RuntimeWarning, stacklevel=2)
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


def _analysis_error(outcome):
    """The exception of a file stats or diff could not read: OSError or
    FormatError when it cannot be opened or is not a valid pulse file,
    FileChangedError when another program cut it short while it was read."""
    if outcome.reason == "the file changed while it was read" and not outcome.error:
        return _errors.FileChangedError(f"{outcome.message}: {outcome.reason}", outcome.code, outcome.path or None)
    return _errors.open_error(outcome)


def stats(path, records=None):
    """The figures of the records of BASE.spf, as orvane-cli stats --json
    gives them: one dict per record (every record, or those named, such as
    ["T0", "R2"], in that order) with "record", "kind", "number",
    "samples", "minimum", "maximum", "mean", "rms" and, for T and I
    records, the exact "sum" and "at_minimum_limit" / "at_maximum_limit"
    (samples at -32768 / 32767), for R records "nan" and "infinite".
    Minimum, maximum, mean and rms of reals cover the finite samples; they
    are NaN when there is none. KeyError for a name the file does not
    hold."""
    if isinstance(records, str):
        records = [records]
    names = None if records is None else [str(name) for name in records]
    outcome, figures = _orvane.stats(_name(path), names)
    outcome = _errors.Outcome(*outcome)
    if figures is None:
        raise _analysis_error(outcome)
    return figures


def diff(a, b, tolerance=0):
    """The differences of BASE.spf files a and b, as orvane-cli diff --json
    gives them: a dict with "equal", "tolerance", "fields" (dicts of
    "where" ("file" or a record's name), "field", "first", "second"),
    "only_in_first", "only_in_second" (record names) and "records" (one
    dict per record of both: "record", "first_samples", "second_samples",
    "differing", "first_index" (None when none differ),
    "largest_difference"). Samples differ when their bits differ and
    |a - b| > tolerance; a NaN equals a NaN of the same bits and differs
    from any other value by infinity."""
    tolerance = float(tolerance)
    if not tolerance >= 0:
        raise ValueError(f"tolerance must be a number, 0 or more, not {tolerance}")
    outcome, result = _orvane.diff(_name(a), _name(b), tolerance)
    outcome = _errors.Outcome(*outcome)
    if result is None:
        raise _analysis_error(outcome)
    return result


def _mended(result, outcome):
    outcome = _errors.Outcome(*outcome)
    if result is None:
        raise _errors.conversion_error(outcome)
    return result


def repair(path, out):
    """Writes out: BASE.spf with one seal word appended so that its
    checksum is zero again, every other byte as it was. Only for a file
    whose one fault is its checksum (ConversionFormatError otherwise, naming
    the first problem); a valid file is copied unchanged. The input is never
    changed, and an out that is the input by any name or link is refused.
    Returns a dict as orvane-cli repair --json gives it: "problems" (dicts
    of "code", "message", "record", "offset"), "sum" (the input's word sum),
    "appended" (bytes of seal added: 0, 2, or 3 after an odd length) and
    "length" (of out)."""
    outcome, result = _orvane.repair(_name(path), _name(out))
    return _mended(result, outcome)


def salvage(path, out):
    """Writes out: a new sealed pulse file of every record that lies whole
    inside the damaged BASE.spf, its file header as it was but for the
    counts. The input is never changed, and an out that is the input by any
    name or link is refused. Returns a dict as orvane-cli salvage --json
    gives it: "problems", "kept" (dicts of "record", "as": its name in out,
    "samples"), "dropped" (dicts of "record", "entry", "offset" (None when
    its table entry lies outside the file), "reason") and "length"."""
    outcome, result = _orvane.salvage(_name(path), _name(out))
    return _mended(result, outcome)
