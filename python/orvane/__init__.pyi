# Type stubs of the orvane package.
import enum
import os
from collections.abc import Callable, Iterable, Iterator, Mapping, Sequence
from typing import Any, Literal, overload

import numpy as np
import numpy.typing as npt

_Path = str | bytes | os.PathLike[str] | os.PathLike[bytes]
_StrPath = str | os.PathLike[str]
_BytesPath = bytes | os.PathLike[bytes]
_Kind = Literal["file", "T", "R", "I"]
_Progress = Callable[[int, int, str], object]
_HeaderValue = int | float | str | tuple[int, ...]

MAGIC: int
dtypes: dict[str, np.dtype[np.void]]

class Failure(enum.IntEnum):
    NONE = 0
    FILE_NAME_REQUIRED = 1
    CANT_OPEN_FOR_READING = 2
    CANT_OPEN_FOR_WRITING = 3
    INVALID_MAGIC_NUMBER = 4
    INVALID_RECORD_COUNT = 5
    CHECKSUM_ERROR = 6
    SEEK_ERROR = 7
    BINARY_READ_ERROR = 8
    BINARY_READ_ERROR_ON = 9
    BINARY_SEEK_ERROR = 10
    BINARY_SEEK_ERROR_ON = 11
    BINARY_WRITE_ERROR = 12
    BINARY_WRITE_ERROR_ON = 13
    SEAL_READ_ERROR = 14
    SEAL_SEEK_ERROR = 15
    SEAL_WRITE_ERROR = 16
    ASCII_READ_ERROR = 17
    ASCII_READ_ERROR_AT_LINE = 18
    ASCII_WRITE_ERROR = 19
    FILE_READ_ERROR = 20
    READ_ERROR = 21
    FILE_TOO_LARGE = 22
    INVALID_POWER_VALUE = 23
    NOT_A_VALID_PULSE_FILE = 24
    RECORD_OUTSIDE_FILE = 25
    SAMPLES_OUTSIDE_FILE = 26
    TOO_MANY_SAMPLES = 27
    WRONG_HEADER_SIZE = 28
    TEXT_NOT_EXACT = 29
    CANCELLED = 30
    INCOMPLETE = 31

class Error(Exception):
    code: Failure | None
    message: str
    path: str | None
    def __init__(self, message: str, code: int | None = ..., path: str | None = ...) -> None: ...

class FormatError(Error, ValueError): ...
class ChecksumError(FormatError): ...
class LayoutError(Error, ValueError): ...
class FileChangedError(Error, OSError): ...
class ConversionError(Error):
    code: Failure
    reason: str

class TextWarning(UserWarning):
    message: str
    file: str
    line: int
    column: int
    field: str
    code: str
    def __init__(
        self, message: str, file: str = ..., line: int = ..., column: int = ..., field: str = ..., code: str = ...
    ) -> None: ...

class TextError(ConversionError, ValueError):
    diagnostics: tuple[TextWarning, ...]

class Header(Mapping[str, Any]):
    def __init__(self, kind: _Kind, raw: bytes | None = ..., **fields: Any) -> None: ...
    @property
    def kind(self) -> _Kind: ...
    @property
    def raw(self) -> bytes: ...
    def raw_field(self, label: str) -> bytes: ...
    def replace(self, **fields: Any) -> Header: ...
    def __getitem__(self, label: str) -> Any: ...
    def __getattr__(self, label: str) -> Any: ...
    def __iter__(self) -> Iterator[str]: ...
    def __len__(self) -> int: ...

class Problem(tuple[Failure, str, str | None]):
    @property
    def code(self) -> Failure: ...
    @property
    def message(self) -> str: ...
    @property
    def record(self) -> str | None: ...

class Record:
    kind: Literal["T", "R", "I"]
    number: int
    header: Header
    samples: npt.NDArray[np.int16] | npt.NDArray[np.float32]
    offset: int
    complete: bool
    @property
    def name(self) -> str: ...
    def __len__(self) -> int: ...
    def __array__(self, dtype: npt.DTypeLike | None = ..., copy: bool | None = ...) -> np.ndarray: ...
    @property
    def dtype(self) -> np.dtype[np.int16] | np.dtype[np.float32]: ...
    @property
    def shape(self) -> tuple[int]: ...
    @property
    def rate(self) -> float: ...
    @property
    def time_unit(self) -> Literal["s", "sample"]: ...
    @property
    def times(self) -> npt.NDArray[np.float64]: ...
    # A pandas.Series; pandas is not needed to import orvane, so the stubs
    # do not name its type.
    def to_series(self) -> Any: ...

class Records(Sequence[Record]):
    @property
    def kind(self) -> Literal["T", "R", "I"]: ...
    def __len__(self) -> int: ...
    @overload
    def __getitem__(self, n: int) -> Record: ...
    @overload
    def __getitem__(self, n: slice) -> list[Record]: ...
    def headers(self) -> npt.NDArray[np.void]: ...

class PulseFile:
    path: str | bytes
    size: int
    header: Header
    t: Records
    r: Records
    i: Records
    problems: list[Problem]
    @property
    def closed(self) -> bool: ...
    def records(self) -> list[Record]: ...
    # An xarray.Dataset; xarray is not needed to import orvane.
    def to_xarray(self) -> Any: ...
    def close(self) -> None: ...
    def __enter__(self) -> PulseFile: ...
    def __exit__(self, *exc: object) -> None: ...

def open(path: _Path, verify: bool = ...) -> PulseFile: ...

# A lazy dask.array.Array of shape (files, samples); dask is not needed to
# import orvane, so the stubs do not name its type.
def stack(
    paths: Iterable[_Path], record: str = ..., *, verify: bool = ..., files_per_chunk: int | Literal["auto"] = ...
) -> Any: ...

# path: a pulse file's name, an open PulseFile or an xarray.Dataset as
# to_xarray gives it; ds: an xarray.Dataset.
def to_netcdf(path: _Path | PulseFile | Any, out: _Path) -> None: ...
def from_xarray(ds: Any, path: _Path) -> None: ...

_RecordItem = Record | tuple[Header | Mapping[str, _HeaderValue] | None, np.ndarray]

def write(
    path: _Path,
    header: Header | Mapping[str, Any] | None = ...,
    t: Iterable[_RecordItem] = ...,
    r: Iterable[_RecordItem] = ...,
    i: Iterable[_RecordItem] = ...,
) -> None: ...

# Names come back in the type the path was given in.
@overload
def base_name(path: _StrPath) -> str: ...
@overload
def base_name(path: _BytesPath) -> bytes: ...
@overload
def to_text(
    path: _StrPath,
    labelled: bool = ...,
    output_dir: _Path | None = ...,
    progress: _Progress | None = ...,
    threads: int = ...,
    exact: bool = ...,
) -> list[str]: ...
@overload
def to_text(
    path: _BytesPath,
    labelled: bool = ...,
    output_dir: _Path | None = ...,
    progress: _Progress | None = ...,
    threads: int = ...,
    exact: bool = ...,
) -> list[bytes]: ...
@overload
def from_text(
    path: _StrPath,
    labelled: bool = ...,
    output_dir: _Path | None = ...,
    progress: _Progress | None = ...,
    threads: int = ...,
    strict: bool = ...,
) -> str: ...
@overload
def from_text(
    path: _BytesPath,
    labelled: bool = ...,
    output_dir: _Path | None = ...,
    progress: _Progress | None = ...,
    threads: int = ...,
    strict: bool = ...,
) -> bytes: ...
def check_text(path: _Path, labelled: bool = ...) -> list[TextWarning]: ...
def validate(path: _Path) -> bool: ...
def get_power(path: _Path, progress: _Progress | None = ...) -> list[int]: ...
def stats(path: _Path, records: str | Iterable[str] | None = ...) -> list[dict[str, Any]]: ...
def diff(a: _Path, b: _Path, tolerance: float = ...) -> dict[str, Any]: ...
def repair(path: _Path, out: _Path) -> dict[str, Any]: ...
def salvage(path: _Path, out: _Path) -> dict[str, Any]: ...
def set_power(path: _Path, values: Iterable[int], progress: _Progress | None = ...) -> None: ...
