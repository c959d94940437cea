"""The package as installed and as editors see it: the type stubs name
everything the package exports, and cmake --install puts it where Debian's
python3 finds it."""

import ast
import os
import pathlib
import subprocess
import sys

import pytest

import orvane

STUB = pathlib.Path(orvane.__file__).with_name("__init__.pyi")


def stub_tree():
    return ast.parse(STUB.read_text())


def test_the_stubs_name_every_export():
    names = set()
    for node in stub_tree().body:
        if isinstance(node, (ast.ClassDef, ast.FunctionDef)):
            names.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            names.add(node.target.id)
    assert set(orvane.__all__) <= names


def test_the_stubs_list_the_engines_failure_codes():
    failure = next(n for n in stub_tree().body if isinstance(n, ast.ClassDef) and n.name == "Failure")
    stubbed = {a.targets[0].id: a.value.value for a in failure.body if isinstance(a, ast.Assign)}
    assert stubbed == {f.name: f.value for f in orvane.Failure}


def test_install_puts_the_package_where_debians_python_finds_it(tmp_path):
    build = os.environ.get("ORVANE_BUILD_DIR")
    if not build:
        pytest.skip("ORVANE_BUILD_DIR not set")
    subprocess.run(
        ["cmake", "--install", build, "--prefix", str(tmp_path), "--component", "python"],
        check=True,
        capture_output=True,
    )
    relative = os.environ["ORVANE_PYTHON_INSTALL_DIR"]
    site = tmp_path / relative
    code = "import orvane, sys; print(orvane.__file__); print(orvane.Failure.NONE.name)"
    env = dict(os.environ, PYTHONPATH=str(site))
    run = subprocess.run([sys.executable, "-c", code], check=True, capture_output=True, text=True, env=env, cwd=tmp_path)
    path, failure = run.stdout.split()
    assert path.startswith(str(site)) and failure == "NONE"
    assert (site / "orvane" / "__init__.pyi").is_file() and (site / "orvane" / "py.typed").is_file()
    # Under the configured prefix, the same folder is on Debian's python3's path.
    configured = os.path.join(os.environ["ORVANE_INSTALL_PREFIX"], relative)
    search = subprocess.run([sys.executable, "-c", "import sys; print(chr(10).join(sys.path))"], capture_output=True,
                            text=True, env={"PATH": os.environ.get("PATH", "")}, cwd=tmp_path).stdout.split("\n")
    assert configured in search


def test_the_plot_example_draws_a_record(make_file, tmp_path):
    pytest.importorskip("matplotlib")
    path, _ = make_file(t=1, r=1, i=0, max_samples=500)
    script = pathlib.Path(__file__).resolve().parents[2] / "examples" / "plot_record.py"
    out = tmp_path / "r0.png"
    env = dict(os.environ, MPLBACKEND="Agg", MPLCONFIGDIR=str(tmp_path / "mpl"))
    subprocess.run([sys.executable, str(script), str(path), "R0", "--out", str(out)], check=True, env=env)
    assert out.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"


def test_the_readme_example_runs(golden, tmp_path):
    readme = (pathlib.Path(__file__).resolve().parents[2] / "README.md").read_text()
    section = readme.split("## Python", 1)[1]
    example = section.split("```python\n", 1)[1].split("```", 1)[0]
    case = golden("mixed")
    env = dict(os.environ, PYTHONPATH=str(pathlib.Path(orvane.__file__).resolve().parents[1]))
    run = subprocess.run([sys.executable, "-c", example], cwd=case, capture_output=True, text=True, env=env)
    assert run.returncode == 0, run.stderr
    with orvane.open(case / "data.spf") as f:
        assert run.stdout.split()[-3:] == [str(len(f.t)), str(len(f.r)), str(len(f.i))]
