"""The exceptions of the orvane package and the failure codes of the engine.

Every exception of a failed engine command is chosen from the command's
outcome as the engine gives it: its code, the file it is about, the
system's reason and error number. The message is only ever shown.
"""

import enum
import os
import typing

from . import _orvane

# Every outcome the engine reports, in the engine's order: NONE is success.
Failure = enum.IntEnum("Failure", [(name, code) for code, (name, _) in enumerate(_orvane.failure_formats())])
Failure.__doc__ = "The engine's failure codes; NONE is the success, conversion complete."
Failure.__module__ = "orvane"

# The printf format of each code's message.
MESSAGE_FORMATS = {Failure(code): fmt for code, (_, fmt) in enumerate(_orvane.failure_formats())}


class Outcome(typing.NamedTuple):
    """How an engine command ended, as the extension hands it over."""

    code: int
    message: str  # the status text, exactly as the desktop program shows it
    reason: str  # why the system or the file layer refused, or ""
    path: str  # the file the failure is about, or ""
    error: int  # the system's error number behind reason, 0 when it gave none

    @property
    def ok(self):
        return self.code == Failure.NONE


# Codes that say a file is not a valid pulse file.
_FORMAT_FAILURES = frozenset(
    {
        Failure.INVALID_MAGIC_NUMBER,
        Failure.INVALID_RECORD_COUNT,
        Failure.CHECKSUM_ERROR,
        Failure.NOT_A_VALID_PULSE_FILE,
        Failure.RECORD_OUTSIDE_FILE,
        Failure.SAMPLES_OUTSIDE_FILE,
        Failure.BINARY_READ_ERROR_ON,
    }
)
# Codes of a file the system would not open or write: OSErrors even when
# the refusal is the file layer's own and carries no error number.
_SYSTEM_FAILURES = frozenset(
    {
        Failure.CANT_OPEN_FOR_READING,
        Failure.CANT_OPEN_FOR_WRITING,
        Failure.BINARY_WRITE_ERROR,
        Failure.BINARY_WRITE_ERROR_ON,
        Failure.SEAL_WRITE_ERROR,
        Failure.ASCII_WRITE_ERROR,
    }
)
# Codes of records that no pulse file can hold as given.
_LAYOUT_FAILURES = frozenset({Failure.TOO_MANY_SAMPLES, Failure.WRONG_HEADER_SIZE, Failure.FILE_TOO_LARGE})


def named(message, path):
    """message led by the file it is about, unless it names that file
    already: "data.spf: checksum error:  FF00", but "Can't open data.spf
    for reading" as it is. A batch of files can then tell which one failed."""
    if path and path not in message:
        return f"{path}: {message}"
    return message


class Error(Exception):
    """Base of every error the orvane package raises of its own."""

    code: Failure
    message: str

    def __init__(self, message, code=None, path=None):
        super().__init__(message)
        self.message = message
        self.code = Failure(code) if code is not None else None
        self.path = path

    def __reduce__(self):
        # Whole across processes (a Dask worker's failure): code and path too.
        return (type(self), (self.message, self.code, self.path), self.__dict__)


class FormatError(Error, ValueError):
    """A file that is not a valid pulse file."""


class ChecksumError(FormatError):
    """A pulse file whose 16-bit word sum is not zero."""


class LayoutError(Error, ValueError):
    """Records that no pulse file can hold: more samples than a SIZE can
    count, or a record that would start beyond the 32-bit offsets. Nothing
    was written."""


class FileChangedError(Error, OSError):
    """An open pulse file that another program cut short or rewrote in
    place: what the module would read of it is no longer there. Open the
    file again to read what it holds now."""

    def __init__(self, message, code=None, path=None):
        Error.__init__(self, message, code, path)
        self.filename = path

    def __str__(self):
        return self.message


class ConversionError(Error):
    """An engine command that did not end with "conversion complete".

    code is the engine's failure code, message the exact status text the
    desktop program and orvane-cli show for it, path the file it is about,
    reason what the engine found wrong beyond the message ("" when nothing).
    The text is the message led by path (unless the message names it), and
    followed by the reason, as orvane-cli prints them.
    """

    reason = ""

    def __init__(self, message, code=None, path=None, reason=""):
        super().__init__(message, code, path)
        self.reason = reason or ""

    def __reduce__(self):
        return (type(self), (self.message, self.code, self.path, self.reason), self.__dict__)

    def __str__(self):
        text = named(self.message, self.path)
        if self.reason and self.reason not in text:
            text = f"{text}: {self.reason}"
        return text


class TextWarning(UserWarning):
    """What text does not carry exactly, as orvane-cli prints it after
    "warning: ". From an import: a line that does not say exactly what the
    import takes from it ("data.T2:5:7: GAIN: "0,25" is not a real number;
    stored 0"); the import goes on as it would without it. file, line and
    column (from 1) say where, field the field's label ("" for sample lines
    and whole files), code the kind of finding ("not-a-number",
    "out-of-range", "sample-label", ...). From an export: a value or text
    that will not come back the same from from_text ("data.R1: 566 of 100000
    samples need nine digits ..."), one per loss and text file; only the
    message is set."""

    def __init__(self, message, file="", line=0, column=0, field="", code=""):
        super().__init__(message)
        self.message = message
        self.file = file
        self.line = line
        self.column = column
        self.field = field
        self.code = code

    def __reduce__(self):
        return (type(self), (self.message, self.file, self.line, self.column, self.field, self.code))

    def __str__(self):
        return self.message


class TextError(ConversionError, ValueError):
    """A strict import refused its text set because of its diagnostics;
    nothing was written. diagnostics holds them, as TextWarnings."""

    diagnostics = ()


class ConversionFormatError(ConversionError, FormatError):
    """A conversion refused because its input is not a valid pulse file."""


class ConversionChecksumError(ConversionFormatError, ChecksumError):
    """A conversion refused because its input's checksum is wrong."""


class ConversionOSError(ConversionError, OSError):
    """An engine command that the system, or the file layer, refused a file.

    errno is the system's error number, None when the refusal is the file
    layer's own (a target with other hard links); strerror is the reason
    given; filename and path name the file.
    """

    def __init__(self, message, code, path, err, reason=None):
        err = err or None
        OSError.__init__(self, err, reason or (os.strerror(err) if err else message), path)
        self.message = message
        self.code = Failure(code)
        self.path = path
        self.reason = reason or ""

    def __reduce__(self):
        return (type(self), (self.message, self.code, self.path, self.errno, self.strerror), self.__dict__)

    def __str__(self):
        # The system's reason is strerror, as with every OSError; a refusal
        # of the file layer's own has no number and says why in its text.
        text = named(self.message, self.path)
        if self.errno is None and self.reason and self.reason not in text:
            text = f"{text}: {self.reason}"
        return text


def _joined_with(base):
    """ConversionOSError as the OSError subclass base too, so that a command
    whose file is missing is caught as a FileNotFoundError as well."""
    name = f"Conversion{base.__name__}"
    cls = type(name, (ConversionOSError, base), {"__doc__": f"A ConversionOSError that is a {base.__name__}."})
    cls.__module__ = __name__
    globals()[name] = cls
    return cls


# Python's own OSError subclasses by error number; each gets its joined class.
_OS_ERROR_CLASSES = {
    base: _joined_with(base)
    for base in (
        BlockingIOError,
        ChildProcessError,
        BrokenPipeError,
        ConnectionAbortedError,
        ConnectionRefusedError,
        ConnectionResetError,
        FileExistsError,
        FileNotFoundError,
        InterruptedError,
        IsADirectoryError,
        NotADirectoryError,
        PermissionError,
        ProcessLookupError,
        TimeoutError,
    )
}


def _system_error(outcome, path):
    """The OSError of a refused file: the class Python gives the error
    number, or the plain one when the file layer refused without one."""
    cls = ConversionOSError
    if outcome.error:
        cls = _OS_ERROR_CLASSES.get(type(OSError(outcome.error, "")), ConversionOSError)
    return cls(outcome.message, outcome.code, path, outcome.error, outcome.reason)


def conversion_error(outcome):
    """The exception of a failed engine command."""
    code = Failure(outcome.code)
    path = outcome.path or None
    if outcome.error or code in _SYSTEM_FAILURES:
        return _system_error(outcome, path)
    if code == Failure.CHECKSUM_ERROR:
        cls = ConversionChecksumError
    elif code == Failure.TEXT_NOT_EXACT:
        cls = TextError
    elif code in _FORMAT_FAILURES:
        cls = ConversionFormatError
    else:
        cls = ConversionError
    return cls(outcome.message, code, path, outcome.reason)


def write_error(outcome):
    """The exception of a pulse file the engine did not write."""
    code = Failure(outcome.code)
    if code in _LAYOUT_FAILURES:
        why = ""
        if code == Failure.FILE_TOO_LARGE:
            why = "; a record would start beyond the 32-bit offsets of a pulse file"
        path = outcome.path or None
        return LayoutError(named(f"{outcome.message}{why}; nothing was written", path), code, path)
    return conversion_error(outcome)


def open_error(outcome):
    """The exception of a pulse file that cannot be opened or is not valid."""
    code = Failure(outcome.code)
    path = outcome.path
    if outcome.error or code == Failure.CANT_OPEN_FOR_READING:
        # OSError picks FileNotFoundError, PermissionError... by the number.
        return OSError(outcome.error or None, outcome.reason or outcome.message, path)
    text = named(outcome.message, path)
    if code == Failure.CHECKSUM_ERROR:
        return ChecksumError(text, code, path)
    return FormatError(text, code, path)
