"""File names as the system has them: bytes that are not UTF-8 work in every
function, given as bytes, as str (the os.fsdecode form, with surrogate
escapes) or as an os.PathLike of either, as Python's own open takes them.
Names come back in the type they were given in."""

import os
import pathlib

import numpy as np
import pytest

import orvane

RAW = b"raw\xff\xfe"  # not UTF-8


class BytesPath:
    """An os.PathLike that gives bytes, as os.DirEntry of a bytes scan does."""

    def __init__(self, name):
        self.name = name

    def __fspath__(self):
        return self.name


def spellings(path_bytes):
    """The same file as bytes, as str and as two os.PathLikes."""
    text = os.fsdecode(path_bytes)
    return {"bytes": path_bytes, "str": text, "pathlib": pathlib.Path(text), "bytes-like": BytesPath(path_bytes)}


@pytest.fixture
def raw_folder(tmp_path):
    return os.fsencode(tmp_path)


@pytest.mark.parametrize("spelling", ["bytes", "str", "pathlib", "bytes-like"])
def test_every_function_takes_a_name_that_is_not_utf8(raw_folder, spelling):
    base = os.path.join(raw_folder, RAW)
    given = spellings(base + b".spf")[spelling]
    as_given = bytes if spelling in ("bytes", "bytes-like") else str

    def like(name):
        return name if as_given is bytes else os.fsdecode(name)

    orvane.write(given, {"desc": "odd name"}, t=[({"gain": 0.5}, np.arange(5, dtype="<i2"))])
    assert orvane.base_name(given) == like(base)
    assert orvane.validate(given) is True
    with orvane.open(given) as f:
        assert f.t[0].samples.tolist() == [0, 1, 2, 3, 4]

    written = orvane.to_text(given)
    assert written == [like(base + b".pfh"), like(base + b".T0")]
    assert all(os.path.isfile(name) for name in written)

    out = os.path.join(raw_folder, b"out\xff")
    os.mkdir(out)
    built = orvane.from_text(spellings(base + b".pfh")[spelling], output_dir=spellings(out)[spelling])
    assert built == like(os.path.join(out, RAW + b".spf"))
    with orvane.open(built) as f:
        assert f.t[0].samples.tolist() == [0, 1, 2, 3, 4]

    orvane.set_power(given, [-20])
    assert orvane.get_power(given) == [-20]


def test_a_failure_names_the_file_as_the_system_has_it(raw_folder):
    gone = os.path.join(raw_folder, RAW + b".spf")
    for command in (orvane.to_text, orvane.get_power, orvane.set_power, orvane.open, orvane.validate):
        args = (gone, [1]) if command is orvane.set_power else (gone,)
        with pytest.raises(FileNotFoundError) as err:
            command(*args)
        assert os.fsencode(err.value.filename) == gone
        if isinstance(err.value, orvane.Error):
            assert os.fsdecode(gone) in str(err.value)
