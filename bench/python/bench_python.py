#!/usr/bin/python3
"""Benchmark of the orvane Python module: prints a Markdown report of its
goals on standard output (progress on standard error).

    PYTHONPATH=build/python /usr/bin/python3 bench/python/bench_python.py [--build build] [--runs 5]

Measured, each set beside its reference in the same run, page cache warm:
- open + sum of every sample of a 360 MB file, against numpy by hand
  (np.fromfile and header parsing, no checksum);
- write of 360 MB of arrays, against dd of as many bytes (with and without
  conv=fsync: write() flushes the file before renaming it into place);
- to_text / from_text against orvane-cli on the same file, both layouts;
- headers() of 10,000 T records.
Files are generated in a temporary folder and removed at the end.
"""

import argparse
import concurrent.futures
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

import orvane

MB = 10**6


def log(text):
    print(f"[bench {time.strftime('%H:%M:%S', time.gmtime())}] {text}", file=sys.stderr, flush=True)


def timed(fn):
    start = time.perf_counter()
    result = fn()
    return time.perf_counter() - start, result


def median_of(runs, fn, before=None):
    times = []
    for _ in range(runs):
        if before:
            before()
        times.append(timed(fn)[0])
    return statistics.median(times), min(times)


def records_for(total_bytes, seed=7):
    """T, R and I records of about total_bytes: half T, a third R, a sixth I,
    records of 10 MB."""
    rng = np.random.default_rng(seed)
    per = 10 * MB

    def ints(n):
        return rng.integers(-32768, 32768, n, dtype=np.int16).astype("<i2")

    def reals(n):
        return rng.standard_normal(n, dtype=np.float32).astype("<f4")

    kinds = {"t": (total_bytes // 2, ints, 2), "r": (total_bytes // 3, reals, 4), "i": (total_bytes // 6, ints, 2)}
    out = {}
    for key, (nbytes, make, width) in kinds.items():
        count = max(1, nbytes // per)
        out[key] = [({"desc": f"{key}{n}"}, make(per // width)) for n in range(count)]
    return out


# ---------------------------------------------------------------- open + sum


def sum_with_orvane(path, threads):
    with orvane.open(path) as f:
        records = f.records()
        if threads == 1:
            return sum(float(rec.samples.sum()) for rec in records)
        with concurrent.futures.ThreadPoolExecutor(threads) as pool:
            return sum(pool.map(lambda rec: float(rec.samples.sum()), records))


def sum_by_hand(path):
    """What a user writes without the module: read the file, parse the
    header and the offset table, view each record's samples, sum them."""
    data = np.fromfile(path, dtype=np.uint8)
    counts = data[272:284].view("<u4")
    table = data[316 : 316 + 4 * int(counts.sum())].view("<u4")
    total = 0.0
    kinds = [(136, 100, "<i4", "<i2")] * int(counts[0]) + [(152, 116, "<u4", "<f4")] * int(counts[1])
    kinds += [(124, 88, "<u4", "<i2")] * int(counts[2])
    for offset, (hsize, size_at, size_type, dtype) in zip(table.tolist(), kinds):
        size = max(int(data[offset + size_at : offset + size_at + 4].view(size_type)[0]), 0)
        start = offset + hsize
        total += float(data[start : start + size * np.dtype(dtype).itemsize].view(dtype).sum())
    return total


# ---------------------------------------------------------------- main


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", default="build", help="build folder with cli/orvane-cli")
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--size-mb", type=int, default=360)
    p.add_argument("--text-size-mb", type=int, default=96, help="size of the to_text/from_text file")
    p.add_argument("--workdir", default=os.environ.get("TMPDIR", "/tmp"))
    args = p.parse_args()
    cli = pathlib.Path(args.build) / "cli" / "orvane-cli"
    work = pathlib.Path(tempfile.mkdtemp(prefix="orvane-pybench.", dir=args.workdir))
    try:
        report(args, cli, work)
    finally:
        shutil.rmtree(work)


def report(args, cli, work):
    runs = args.runs
    rows = []

    # write
    log(f"generating {args.size_mb} MB of arrays")
    recs = records_for(args.size_mb * MB)
    big = work / "big.spf"

    def write_big():
        orvane.write(big, {"desc": "benchmark"}, **recs)

    write_s, write_best = median_of(runs, write_big, before=lambda: subprocess.run(["sync"]))
    size = big.stat().st_size
    count = size // 2**20 + 1
    dd = ["dd", "if=/dev/zero", f"of={work / 'dd.bin'}", "bs=1M", f"count={count}", "status=none"]
    dd_s, dd_best = median_of(runs, lambda: subprocess.run(dd, check=True), before=lambda: subprocess.run(["sync"]))
    ddf_s, ddf_best = median_of(
        runs, lambda: subprocess.run(dd + ["conv=fsync"], check=True), before=lambda: subprocess.run(["sync"])
    )
    log("write done")

    # open + sum, warm cache
    expected = sum_by_hand(big)
    assert abs(sum_with_orvane(big, 1) - expected) <= 1e-6 * max(1.0, abs(expected))
    open1_s, open1_best = median_of(runs, lambda: sum_with_orvane(big, 1))
    open2_s, open2_best = median_of(runs, lambda: sum_with_orvane(big, 2))
    hand_s, hand_best = median_of(runs, lambda: sum_by_hand(big))
    open_only_s, _ = median_of(runs, lambda: orvane.open(big).close())
    log("open + sum done")

    # headers() of 10,000 T records
    many = work / "many.spf"
    orvane.write(many, None, t=[({"desc": f"t{n}", "gain": 0.5}, np.zeros(4, "<i2")) for n in range(10_000)])
    with orvane.open(many) as f:
        hdr_times = [timed(f.t.headers)[0] for _ in range(max(runs, 20))]
    log("headers done")

    # to_text / from_text against the command line
    text_recs = records_for(args.text_size_mb * MB, seed=3)
    text_rows = []
    for layout, labelled, flags in (("labelled", True, []), ("bare", False, ["--no-headers"])):
        mine, theirs = work / f"py-{layout}", work / f"cli-{layout}"
        for d in (mine, theirs):
            d.mkdir()
            orvane.write(d / "data.spf", {"desc": "text benchmark"}, **{k: v[:3] for k, v in text_recs.items()})

        def clean(d, keep):
            subprocess.run(["sync"])
            for q in d.iterdir():
                if q.name != keep:
                    q.unlink()

        py_to, cli_to = [], []
        for _ in range(runs):
            clean(mine, "data.spf")
            py_to.append(timed(lambda: orvane.to_text(mine / "data.spf", labelled=labelled))[0])
            clean(theirs, "data.spf")
            cli_to.append(timed(lambda: subprocess.run([cli, "-q", *flags, "to-ascii", theirs / "data.spf"], check=True))[0])
        text_bytes = sum(q.stat().st_size for q in mine.iterdir() if q.name != "data.spf")
        (mine / "data.spf").rename(mine / "orig.spf")
        (theirs / "data.spf").rename(theirs / "orig.spf")
        py_from, cli_from = [], []
        for _ in range(runs):
            subprocess.run(["sync"])
            py_from.append(timed(lambda: orvane.from_text(mine / "data.pfh", labelled=labelled))[0])
            subprocess.run(["sync"])
            cli_from.append(timed(lambda: subprocess.run([cli, "-q", *flags, "from-ascii", theirs / "data.pfh"], check=True))[0])
        assert (mine / "data.spf").read_bytes() == (theirs / "data.spf").read_bytes()
        text_rows.append((layout, statistics.median(py_to), statistics.median(cli_to), statistics.median(py_from),
                          statistics.median(cli_from), text_bytes))
    text_size = (work / "py-labelled" / "orig.spf").stat().st_size
    log("text done")

    gbps = lambda s: size / s / 1e9  # noqa: E731
    load = os.getloadavg()[0]
    print("## Python module")
    print()
    print(f"- Date: {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}; {os.cpu_count()} CPUs; "
          f"load average (1 min) at the end {load:.2f}")
    print(f"- Medians of {runs} runs (best in brackets); page cache warm. MB = 10^6 bytes.")
    print(f"- Large file: {size} bytes ({len(recs['t'])} T, {len(recs['r'])} R, {len(recs['i'])} I records of 10 MB).")
    print(f"- Text file: {text_size} bytes.")
    print()
    print("| Measure | Python module | Reference | Ratio | Goal | Met |")
    print("|---|---:|---:|---:|---|---|")
    print(f"| open + sum, one thread | {open1_s:.3f} s = {gbps(open1_s):.2f} GB/s ({gbps(open1_best):.2f}) "
          f"| numpy by hand {hand_s:.3f} s = {gbps(hand_s):.2f} GB/s | {hand_s / open1_s:.2f}× faster "
          f"| ≥ 2 GB/s | {'yes' if gbps(open1_s) >= 2 else '**no**'} |")
    print(f"| open + sum, records on two threads | {open2_s:.3f} s = {gbps(open2_s):.2f} GB/s ({gbps(open2_best):.2f}) "
          f"| | | ≥ 2 GB/s | {'yes' if gbps(open2_s) >= 2 else '**no**'} |")
    print(f"| open alone (full check: magic, checksum, table, records) | {open_only_s:.3f} s = {gbps(open_only_s):.2f} GB/s "
          "| | | | |")
    print(f"| write of {size / MB:.0f} MB | {write_s:.3f} s ({write_best:.3f}) | dd {dd_s:.3f} s; dd conv=fsync {ddf_s:.3f} s "
          f"| {write_s / dd_s:.2f}× dd; {write_s / ddf_s:.2f}× dd conv=fsync | ≤ 2× dd "
          f"| {'yes' if write_s <= 2 * dd_s else '**no**'} ({'yes' if write_s <= 2 * ddf_s else 'no'} beside dd conv=fsync) |")
    for layout, py_to, cli_to, py_from, cli_from, text_bytes in text_rows:
        print(f"| to_text, {layout} ({text_bytes / MB:.0f} MB of text) | {py_to:.3f} s | orvane-cli {cli_to:.3f} s "
              f"| {py_to / cli_to:.2f} | ≤ 1.10 | {'yes' if py_to <= 1.1 * cli_to else '**no**'} |")
        print(f"| from_text, {layout} | {py_from:.3f} s | orvane-cli {cli_from:.3f} s "
              f"| {py_from / cli_from:.2f} | ≤ 1.10 | {'yes' if py_from <= 1.1 * cli_from else '**no**'} |")
    hdr = statistics.median(hdr_times)
    print(f"| headers() of 10,000 T records | {hdr * 1e3:.2f} ms ({min(hdr_times) * 1e3:.2f}) | | | < 10 ms "
          f"| {'yes' if hdr < 0.010 else '**no**'} |")


if __name__ == "__main__":
    main()
