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
- headers() of 10,000 T records;
- to_xarray() of the 360 MB file, and to_netcdf of it against numpy's
  tofile of the same arrays (samples and float64 times) into one file
  (with python3-xarray and python3-netcdf4);
- orvane.stack summing one record of 200 files (1,000,000 samples each) on
  a LocalCluster of two workers, against np.fromfile of each record in one
  process (with python3-distributed).
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


# ---------------------------------------------------------------- orvane.stack on Dask


def stack_files(folder, count=200, samples=1_000_000):
    """count files of one T record of samples int16 samples each."""
    folder.mkdir()
    rng = np.random.default_rng(11)
    paths = []
    for k in range(count):
        paths.append(str(folder / f"s{k:03d}.spf"))
        orvane.write(paths[-1], None, t=[(None, rng.integers(-32768, 32768, samples, dtype=np.int16))])
    return paths


def sum_stack(client, paths, verify, files_per_chunk="auto"):
    x = orvane.stack(paths, "T0", verify=verify, files_per_chunk=files_per_chunk)
    return int(client.compute(x.sum(dtype="i8")).result())


def sum_files_by_hand(paths):
    """What a user writes without the module: T0's offset from the table,
    its sample count from its header, then np.fromfile of the samples."""
    total = 0
    for path in paths:
        offset = int(np.fromfile(path, "<u4", count=1, offset=316)[0])
        size = int(np.fromfile(path, "<i4", count=1, offset=offset + 100)[0])
        total += int(np.fromfile(path, "<i2", count=size, offset=offset + 136).sum(dtype="i8"))
    return total


def bench_stack(work, runs):
    """(files, bytes, [(how, stack s)], numpy s), or None without dask."""
    try:
        from dask.distributed import Client, LocalCluster
    except ImportError:
        return None
    paths = stack_files(work / "stack")
    expected = sum_files_by_hand(paths)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with Client(cluster) as client:
            ways = {"verify=True": (True, "auto"), "verify=False": (False, "auto"),
                    "verify=False, files_per_chunk=1": (False, 1)}
            for verify, per_chunk in ways.values():  # the workers' first tasks import orvane: untimed
                assert sum_stack(client, paths, verify, per_chunk) == expected
            timed_ways = [(how, median_of(runs, lambda: sum_stack(client, paths, *way))[0])
                          for how, way in ways.items()]
    hand_s, _ = median_of(runs, lambda: sum_files_by_hand(paths))
    total = sum(os.path.getsize(p) for p in paths)
    for p in paths:
        os.unlink(p)
    return len(paths), total, timed_ways, hand_s


# ---------------------------------------------------------------- xarray and NetCDF


def bench_xarray(big, work, runs):
    """(to_xarray times, to_netcdf s, tofile s, NetCDF bytes), or None
    without xarray and netCDF4. The outputs of a run are removed, untimed,
    before the next, so that neither pays for truncating the last one."""
    try:
        import netCDF4  # noqa: F401
        import xarray  # noqa: F401
    except ImportError:
        return None
    nc, raw = work / "big.nc", work / "big.bin"

    def clean():
        for q in (nc, raw):
            q.unlink(missing_ok=True)
        subprocess.run(["sync"])

    with orvane.open(big) as f:
        f.to_xarray()  # xarray's first use imports its parts: untimed
        xr_times = [timed(f.to_xarray)[0] for _ in range(max(runs, 20))]

        def by_numpy():
            with open(raw, "wb") as out:
                for rec in f.records():
                    rec.samples.tofile(out)
                    rec.times.tofile(out)

        nc_times, np_times = [], []
        for _ in range(runs):  # alternating, each after a sync
            clean()
            nc_times.append(timed(lambda: orvane.to_netcdf(f, nc))[0])
            nc_bytes = nc.stat().st_size
            clean()
            np_times.append(timed(by_numpy)[0])
    clean()
    return xr_times, statistics.median(nc_times), statistics.median(np_times), nc_bytes


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
    open_trust_s, open_trust_best = median_of(max(runs, 20), lambda: orvane.open(big, verify=False).close())
    log("open + sum done")

    xarray_row = bench_xarray(big, work, runs)
    log("xarray done")

    # headers() of 10,000 T records
    many = work / "many.spf"
    orvane.write(many, None, t=[({"desc": f"t{n}", "gain": 0.5}, np.zeros(4, "<i2")) for n in range(10_000)])
    with orvane.open(many) as f:
        hdr_times = [timed(f.t.headers)[0] for _ in range(max(runs, 20))]
    log("headers done")

    stack_row = bench_stack(work, runs)
    log("stack done")

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
    print(f"| open(verify=False) (table and record extents, no checksum) | {open_trust_s * 1e6:.0f} µs "
          f"({open_trust_best * 1e6:.0f}) | open(verify=True) {open_only_s * 1e3:.1f} ms "
          f"| {open_only_s / open_trust_s:.0f}× faster | ≥ 20× | {'yes' if open_only_s >= 20 * open_trust_s else '**no**'} |")
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
    if xarray_row:
        xr_times, nc_s, np_s, nc_bytes = xarray_row
        xr_s = statistics.median(xr_times)
        print(f"| to_xarray() of the large file (views, time axes on demand) | {xr_s * 1e3:.2f} ms "
              f"({min(xr_times) * 1e3:.2f}) | | | < 10 ms | {'yes' if xr_s < 0.010 else '**no**'} |")
        print(f"| to_netcdf of the large file ({nc_bytes / MB:.0f} MB of NetCDF-4: samples and float64 times) "
              f"| {nc_s:.3f} s | numpy tofile of the same arrays {np_s:.3f} s | {nc_s / np_s:.2f}× | ≤ 2× "
              f"| {'yes' if nc_s <= 2 * np_s else '**no**'} |")
    if stack_row:
        files, total, timed_ways, hand_s = stack_row
        for how, secs in timed_ways:
            goal = "< 3" if "files_per_chunk" not in how else ""  # one task per file: for comparison
            met = ("yes" if secs < 3 * hand_s else "**no**") if goal else ""
            print(f"| orvane.stack(...).sum(), {files} files of one 1,000,000-sample T0 ({total / MB:.0f} MB), {how}, "
                  f"LocalCluster of 2 workers | {secs:.3f} s | numpy by hand (np.fromfile), one process {hand_s:.3f} s "
                  f"| {secs / hand_s:.2f} | {goal} | {met} |")


if __name__ == "__main__":
    main()
