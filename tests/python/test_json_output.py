"""orvane-cli --json: every command's document validates against
docs/json.schema.json, and its values are those of the file's bytes as this
test reads them with struct, apart from the engine."""

import json
import struct

import jsonschema
import numpy as np
import pytest

import orvane
from conftest import GOLDEN_CASES, GOLDEN_DIR, SOURCE_DIR

SCHEMA = json.loads((SOURCE_DIR / "docs" / "json.schema.json").read_text())

# The headers as this test reads them: (label, struct code) in stored order;
# "80s" is a text field, "7i" the RS words.
LAYOUTS = {
    "file": [("magc", "I"), ("desc", "80s"), ("subs", "i"), ("pnam", "80s"), ("pdes", "80s"), ("fmin", "i"),
             ("fmax", "i"), ("time", "i"), ("pid", "H"), ("unus", "H"), ("styp", "i"), ("ptyp", "i"),
             ("tcnt", "I"), ("rcnt", "I"), ("icnt", "I"), ("mxpr", "f"), ("rs", "7i")],
    "T": [("desc", "80s"), ("chan", "I"), ("rate", "f"), ("offs", "i"), ("gain", "f"), ("type", "i"),
          ("size", "i"), ("fhz0", "f"), ("fhzn", "f"), ("rs", "6i")],
    "R": [("desc", "80s"), ("chan", "I"), ("rate", "f"), ("pfdf", "i"), ("pfas", "i"), ("ffsz", "i"),
          ("ffdf", "i"), ("ifsz", "i"), ("samp", "i"), ("fcoe", "i"), ("size", "I"), ("fhz0", "f"),
          ("fhzn", "f"), ("rs", "6i")],
    "I": [("desc", "80s"), ("chan", "I"), ("rate", "f"), ("size", "I"), ("rs", "8i")],
}


def _read_header(kind, data, at):
    layout = LAYOUTS[kind]
    values = struct.unpack_from("<" + "".join(code for _, code in layout), data, at)
    out, k = {}, 0
    for label, code in layout:
        count = int(code[:-1]) if code[:-1] and code[-1] == "i" else 1
        out[label] = list(values[k : k + count]) if count > 1 else values[k]
        k += count
    return out, struct.calcsize("<" + "".join(code for _, code in layout))


def _same(stored, shown):
    """A field as stored against its JSON value."""
    if isinstance(stored, bytes):
        return shown == stored.split(b"\0", 1)[0].decode("latin-1")
    if isinstance(stored, float):
        if np.isnan(np.float32(stored)):
            return shown == "nan"
        if np.isinf(stored):
            return shown == ("inf" if stored > 0 else "-inf")
        # The JSON number, read as a double and rounded to 32 bits, is the stored real.
        return np.float32(shown).tobytes() == np.float32(stored).tobytes()
    return shown == stored


def _validate(document, command):
    jsonschema.validate(document, {**SCHEMA, "$ref": f"#/$defs/{command}"})


def _documents(run):
    lines = run.stdout.decode().splitlines()
    return [json.loads(line) for line in lines]


@pytest.mark.parametrize("case", GOLDEN_CASES)
def test_info_shows_every_field_as_the_bytes_hold_it(cli, case):
    path = GOLDEN_DIR / case / "data.spf"
    data = path.read_bytes()
    (info,) = _documents(cli("info", "--json", path))
    _validate(info, "info")
    header, size = _read_header("file", data, 0)
    assert size == 316
    assert all(_same(v, info["header"][k]) for k, v in header.items() if k != "rs")
    assert info["header"]["rs"] == header["rs"]
    assert info["length"] == len(data)
    assert info["counts"] == {"t": header["tcnt"], "r": header["rcnt"], "i": header["icnt"]}
    kinds = "T" * header["tcnt"] + "R" * header["rcnt"] + "I" * header["icnt"]
    assert len(info["records"]) == len(kinds)
    for entry, (kind, record) in enumerate(zip(kinds, info["records"])):
        (offset,) = struct.unpack_from("<I", data, 316 + 4 * entry)
        fields, size = _read_header(kind, data, offset)
        assert (record["kind"], record["entry"], record["offset"]) == (kind, entry, offset)
        assert record["record"] == f"{kind}{record['number']}"
        assert all(_same(v, record["header"][k]) for k, v in fields.items() if k != "rs"), record["record"]
        assert record["header"]["rs"] == fields["rs"]
        declared = max(fields["size"], 0)
        assert record["samples"] == declared


def test_the_schema_names_every_field_the_format_has():
    for kind, name in (("file", "file_header"), ("T", "t_header"), ("R", "r_header"), ("I", "i_header")):
        labels = [label.lower() for label, _, _ in orvane._orvane.header_fields(kind) if not label.startswith("RS")]
        assert list(SCHEMA["$defs"][name]["properties"]) == labels + ["rs"]
        assert [label for label, _ in LAYOUTS[kind]] == labels + ["rs"]


def test_reals_read_back_to_their_bits(cli, tmp_path):
    reals = np.array([0.1, 1e-45, -0.0, 3.4028235e38, 16777217, np.nan, np.inf, -np.inf, 1.17549435e-38], "<f4")
    paths = []
    for n, gain in enumerate(reals):
        path = tmp_path / f"g{n}.spf"
        orvane.write(path, {"mxpr": gain}, t=[({"gain": gain, "rate": gain}, np.zeros(2, "<i2"))])
        paths.append(path)
    documents = _documents(cli("info", "--json", *paths))
    assert [d["file"] for d in documents] == [str(p) for p in paths]
    for gain, info in zip(reals, documents):
        _validate(info, "info")
        for shown in (info["header"]["mxpr"], info["records"][0]["header"]["gain"]):
            assert _same(float(gain), shown), (gain, shown)


class TestCheck:
    def test_one_line_per_file_with_every_problem(self, cli, tmp_path):
        good = tmp_path / "good.spf"
        orvane.write(good, None, t=[(None, np.arange(5, dtype="<i2"))], i=[(None, np.arange(10, dtype="<i2"))])
        data = good.read_bytes()
        cut = tmp_path / "cut.spf"
        cut.write_bytes(data[:-5])  # the seal word and 3 bytes of I0's samples
        run = cli("check", "--json", good, cut, tmp_path / "missing.spf", check=False)
        assert run.returncode == 1
        documents = _documents(run)
        for d in documents:
            _validate(d, "check")
        ok, damaged, missing = documents
        assert ok == {"file": str(good), "valid": True, "problems": []}
        assert not damaged["valid"]
        codes = [p["code"] for p in damaged["problems"]]
        assert codes[0] == "checksum_error" and damaged["problems"][0]["offset"] is None
        (last,) = [p for p in damaged["problems"] if p["code"] == "samples_outside_file"]
        info = _documents(cli("info", "--json", good))[0]
        assert last["record"] == info["records"][-1]["record"]
        assert last["offset"] == info["records"][-1]["offset"]
        assert missing["problems"] == [
            {"code": "cant_open_for_reading", "message": f"Can't open {tmp_path / 'missing.spf'} for reading",
             "record": None, "offset": None, "reason": "No such file or directory"}
        ]

    def test_codes_and_offsets_of_a_damaged_table(self, cli, make_file, tmp_path):
        good, _ = make_file("good.spf")
        data = bytearray(good.read_bytes())
        struct.pack_into("<I", data, 0, 0x12345678)  # magic
        struct.pack_into("<I", data, 272, 10**6)  # TCNT: the table runs past the end
        bad = tmp_path / "bad.spf"
        bad.write_bytes(bytes(data))
        (d,) = _documents(cli("check", "--json", bad, check=False))
        _validate(d, "check")
        assert [(p["code"], p["offset"]) for p in d["problems"][:3]] == [
            ("invalid_magic_number", 0),
            ("checksum_error", None),
            ("invalid_record_count", 316),
        ]


def test_power_json_has_each_t_records_value_and_its_warning(cli, tmp_path):
    path = tmp_path / "p.spf"
    gains = [0.5, -0.2, float("nan"), 1e30]
    orvane.write(path, None, t=[({"gain": g}, np.zeros(1, "<i2")) for g in gains])
    run = cli("power", "--json", path)
    (d,) = _documents(run)
    _validate(d, "power")
    assert [r["power"] for r in d["records"]] == [50, -20, 0, 2147483647]
    assert [r.get("gain") for r in d["records"]] == [None, None, "nan", 1e30]
    assert "nan has no pulse power" in d["records"][2]["warning"]
    assert cli("power", path).stdout.decode().split() == [str(r["power"]) for r in d["records"]]
    refused = cli("power", "--json", path, "10", check=False)
    assert refused.returncode == 2 and b"only when it reads" in refused.stderr


def test_stats_and_diff_documents_follow_the_schema(cli, make_file):
    a, _ = make_file("a.spf", seed=1)
    b, _ = make_file("b.spf", seed=2, t=2)
    _validate(json.loads(cli("stats", "--json", a).stdout), "stats")
    run = cli("diff", "--json", "--tolerance", "0.5", a, b, check=False)
    assert run.returncode == 1
    _validate(json.loads(run.stdout), "diff")
