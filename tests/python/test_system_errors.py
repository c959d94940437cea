"""Files the system will not give: every front end of the package raises the
OSError subclass of the system's error number (FileNotFoundError,
PermissionError) naming the file, and the engine's commands raise one that is
a ConversionError as well, with the engine's code.

Permissions do not stop the superuser, so the calls run in a child process,
as nobody when the tests run as root."""

import errno
import json
import os
import pathlib
import pwd
import shutil
import subprocess
import sys
import tempfile

import pytest

import orvane
from conftest import GOLDEN_DIR

# Each front end on the files of BASE: the call, and the suffix of the file
# its failure names.
FRONT_ENDS = {
    "open": ("orvane.open(base + '.spf')", ".spf"),
    "validate": ("orvane.validate(base + '.spf')", ".spf"),
    "to_text": ("orvane.to_text(base + '.spf')", ".spf"),
    "from_text": ("orvane.from_text(base + '.pfh')", ".pfh"),
    "get_power": ("orvane.get_power(base)", ".spf"),
    "set_power": ("orvane.set_power(base, [10])", ".spf"),
    "write": ("orvane.write(base + '.spf')", ".spf"),
}
READERS = ("open", "validate")  # plain OSErrors, as io.open gives

CHILD = """
import json, sys
import orvane
base = sys.argv[1]
seen = {}
for name, call in json.loads(sys.argv[2]).items():
    try:
        eval(call)
        seen[name] = None
    except Exception as e:
        seen[name] = {
            "classes": [c.__name__ for c in type(e).__mro__],
            "errno": getattr(e, "errno", None),
            "filename": getattr(e, "filename", None),
            "code": e.code.name if isinstance(e, orvane.Error) else None,
        }
print(json.dumps(seen))
"""


@pytest.fixture
def shared_folder(tmp_path):
    """A folder the child process can reach: under tmp_path, or, for a child
    that runs as nobody, one that nobody may enter."""
    if os.geteuid() != 0:
        yield tmp_path
        return
    folder = tempfile.mkdtemp(prefix="orvane-errors-")
    os.chmod(folder, 0o755)
    try:
        yield pathlib.Path(folder)
    finally:
        for root, dirs, _ in os.walk(folder):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o755)
        shutil.rmtree(folder)


def run_unprivileged(base, calls):
    """{front end: what it raised, or None} from a child process without the
    superuser's rights."""
    rights = {}
    if os.geteuid() == 0:
        nobody = pwd.getpwnam("nobody")
        rights = {"user": nobody.pw_uid, "group": nobody.pw_gid, "extra_groups": []}
    env = dict(os.environ, PYTHONPATH=os.path.dirname(os.path.dirname(orvane.__file__)))
    run = subprocess.run(
        [sys.executable, "-c", CHILD, str(base), json.dumps(calls)], capture_output=True, text=True, env=env, **rights
    )
    if run.returncode != 0 and "No module named 'orvane'" in run.stderr:
        pytest.skip("the build's package cannot be read by an unprivileged user")
    assert run.returncode == 0, run.stderr
    return json.loads(run.stdout)


def missing_file(folder):
    return folder / "data", [name for name in FRONT_ENDS if name != "write"]


def missing_folder(folder):
    return folder / "gone" / "data", list(FRONT_ENDS)


def golden_copy(folder):
    case = folder / "case"
    shutil.copytree(GOLDEN_DIR / "mixed" / "labelled", case)
    return case


def unreadable_files(folder):
    case = golden_copy(folder)
    for p in case.iterdir():
        p.chmod(0)
    return case / "data", list(FRONT_ENDS)


def unreadable_folder(folder):
    case = golden_copy(folder)
    case.chmod(0)
    return case / "data", list(FRONT_ENDS)


SITUATIONS = [
    (missing_file, FileNotFoundError, errno.ENOENT),
    (missing_folder, FileNotFoundError, errno.ENOENT),
    (unreadable_files, PermissionError, errno.EACCES),
    (unreadable_folder, PermissionError, errno.EACCES),
]


def as_expected(name, raised, error, number, path):
    if raised is None:
        return False
    as_oserror = error.__name__ in raised["classes"] and raised["errno"] == number and raised["filename"] == path
    if name in READERS:
        return as_oserror and "Error" not in raised["classes"]
    return as_oserror and "ConversionError" in raised["classes"] and raised["code"] in orvane.Failure.__members__


@pytest.mark.parametrize("situation, error, number", SITUATIONS, ids=lambda s: getattr(s, "__name__", None))
def test_every_front_end_raises_the_oserror_of_the_systems_reason(shared_folder, situation, error, number):
    base, names = situation(shared_folder)
    seen = run_unprivileged(base, {name: FRONT_ENDS[name][0] for name in names})
    wrong = {
        name: seen[name]
        for name in names
        if not as_expected(name, seen[name], error, number, str(base) + FRONT_ENDS[name][1])
    }
    assert wrong == {}


def test_a_folder_or_a_fifo_is_refused_without_being_read(tmp_path):
    with pytest.raises(IsADirectoryError) as err:
        orvane.open(tmp_path)
    assert err.value.filename == str(tmp_path)
    fifo = tmp_path / "pipe.spf"
    os.mkfifo(fifo)
    # Opening it to read would wait for a writer that never comes.
    with pytest.raises(OSError, match="not a regular file") as err:
        orvane.open(fifo)
    assert err.value.filename == str(fifo)
