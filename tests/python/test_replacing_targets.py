"""orvane.write and orvane.from_text replace an existing pulse file the same
way: a read-only file or one with other hard links is refused and left as it
was, with an OSError naming it; a symbolic link is written through, staying
a link to the file that gets the new contents; a file replaced keeps its
mode."""

import errno
import os
import shutil

import numpy as np
import pytest

import orvane
from conftest import GOLDEN_DIR

OLD = b"the old contents, which a refusal must leave alone"
RECORDS = {"t": [({"desc": "new"}, np.arange(-3, 4, dtype="<i2"))], "r": [({}, np.ones(5, "<f4"))]}


def by_write(folder):
    """Replaces folder/data.spf with orvane.write; the bytes it writes."""
    reference = folder.parent / f"{folder.name}-reference.spf"
    orvane.write(reference, {"desc": "written"}, **RECORDS)
    return lambda: orvane.write(folder / "data.spf", {"desc": "written"}, **RECORDS), reference.read_bytes()


def by_from_text(folder):
    """Replaces folder/data.spf with orvane.from_text from the text files of
    a golden case; the bytes the import builds from them."""
    source = GOLDEN_DIR / "mixed" / "labelled"
    for p in source.iterdir():
        if p.name.startswith("data.") and p.suffix != ".spf":
            shutil.copy(p, folder / p.name)
    return lambda: orvane.from_text(folder / "data.pfh"), (source / "data.spf").read_bytes()


FRONT_ENDS = [by_write, by_from_text]


def read_only(target):
    target.write_bytes(OLD)
    target.chmod(0o444)
    return target


def hard_linked(target):
    target.write_bytes(OLD)
    os.link(target, target.with_name("another-name.spf"))
    return target


def symbolic_link(target):
    named = target.with_name("named.spf")
    named.write_bytes(OLD)
    named.chmod(0o640)
    target.symlink_to(named.name)
    return named


def plain_with_a_mode(target):
    target.write_bytes(OLD)
    target.chmod(0o604)
    return target


# The kind of target, what both front ends do with it, and the errno of a
# refusal: None when the refusal is the file layer's own.
TARGETS = [
    (read_only, "refused", errno.EACCES),
    (hard_linked, "refused", None),
    (symbolic_link, "replaced", None),
    (plain_with_a_mode, "replaced", None),
]


def state_of(path):
    st = os.stat(path)
    return path.read_bytes(), st.st_mode, st.st_nlink


@pytest.mark.parametrize("front_end", FRONT_ENDS, ids=lambda f: f.__name__)
@pytest.mark.parametrize("make_target, outcome, refused_errno", TARGETS, ids=lambda t: getattr(t, "__name__", None))
def test_both_front_ends_replace_a_target_alike(tmp_path, front_end, make_target, outcome, refused_errno):
    folder = tmp_path / "folder"
    folder.mkdir()
    replace, new_bytes = front_end(folder)
    target = folder / "data.spf"
    holder = make_target(target)  # the file that holds the contents
    before = state_of(holder)

    if outcome == "refused":
        with pytest.raises(OSError) as err:
            replace()
        e = err.value
        assert isinstance(e, orvane.ConversionError) and e.code == orvane.Failure.CANT_OPEN_FOR_WRITING
        assert e.filename == e.path == str(target)
        assert e.errno == refused_errno and e.strerror  # the engine's reason, errno or not
        assert state_of(holder) == before
    else:
        replace()
        assert target.is_symlink() == (make_target is symbolic_link)
        assert holder.read_bytes() == new_bytes
        assert os.stat(holder).st_mode == before[1]
    assert not [p.name for p in folder.iterdir() if p.name.startswith(".orvane")]
