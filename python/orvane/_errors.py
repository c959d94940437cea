"""The exceptions of the orvane package and the failure codes of the engine."""

import enum
import errno as _errno
import os

from . import _orvane

# Every outcome the engine reports, in the engine's order: NONE is success.
Failure = enum.IntEnum("Failure", [(name, code) for code, (name, _) in enumerate(_orvane.failure_formats())])
Failure.__doc__ = "The engine's failure codes; NONE is the success, conversion complete."
Failure.__module__ = "orvane"

# The printf format of each code's message.
MESSAGE_FORMATS = {Failure(code): fmt for code, (_, fmt) in enumerate(_orvane.failure_formats())}

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
# Codes whose message names a file the system could not open.
_OPEN_FAILURES = {
    Failure.CANT_OPEN_FOR_READING: ("Can't open ", " for reading"),
    Failure.CANT_OPEN_FOR_WRITING: ("Can't open ", " for writing"),
}


class Error(Exception):
    """Base of every error the orvane package raises of its own."""

    code: Failure
    message: str

    def __init__(self, message, code=None, path=None):
        super().__init__(message)
        self.message = message
        self.code = Failure(code) if code is not None else None
        self.path = path


class FormatError(Error, ValueError):
    """A file that is not a valid pulse file."""


class ChecksumError(FormatError):
    """A pulse file whose 16-bit word sum is not zero."""


class ConversionError(Error):
    """An engine command that did not end with "conversion complete".

    code is the engine's failure code, message the exact status text the
    desktop program and orvane-cli show for it.
    """

    def __str__(self):
        return self.message


class ConversionFormatError(ConversionError, FormatError):
    """A conversion refused because its input is not a valid pulse file."""


class ConversionChecksumError(ConversionFormatError, ChecksumError):
    """A conversion refused because its input's checksum is wrong."""


class ConversionOSError(ConversionError, OSError):
    """A conversion that could not open one of its files."""

    def __init__(self, message, code, path, err):
        OSError.__init__(self, err, os.strerror(err) if err else message, path)
        self.message = message
        self.code = Failure(code)
        self.path = path

    def __str__(self):
        return self.message


def _named_path(code, message):
    prefix, suffix = _OPEN_FAILURES[code]
    if message.startswith(prefix) and message.endswith(suffix):
        return message[len(prefix) : len(message) - len(suffix)]
    return None


def _errno_of(path):
    """The operating system's reason a file cannot be read, when it tells one."""
    try:
        fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK | os.O_CLOEXEC)
    except OSError as e:
        return e.errno
    os.close(fd)
    return _errno.EINVAL  # exists and opens: not something the engine reads (a folder, a FIFO)


def conversion_error(code, message):
    """The exception of a failed engine command."""
    code = Failure(code)
    if code == Failure.CHECKSUM_ERROR:
        return ConversionChecksumError(message, code)
    if code in _FORMAT_FAILURES:
        return ConversionFormatError(message, code)
    if code in _OPEN_FAILURES:
        path = _named_path(code, message)
        err = _errno_of(path) if path is not None and code == Failure.CANT_OPEN_FOR_READING else None
        return ConversionOSError(message, code, path, err)
    return ConversionError(message, code)


def open_error(code, message, path):
    """The exception of a pulse file that cannot be opened or is not valid."""
    code = Failure(code)
    if code == Failure.CANT_OPEN_FOR_READING:
        err = _errno_of(path)
        if err == _errno.EINVAL and os.path.isdir(path):
            err = _errno.EISDIR
        if err != _errno.EINVAL:
            reason = os.strerror(err)
        elif os.path.isfile(path):
            reason = "cannot be mapped into memory"
        else:
            reason = "not a regular file"
        return OSError(err, reason, path)
    text = f"{path}: {message}"
    if code == Failure.CHECKSUM_ERROR:
        return ChecksumError(text, code, path)
    return FormatError(text, code, path)
