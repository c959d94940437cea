#!/usr/bin/python3
"""Prints one record of a pulse file on its time axis, with pandas: its
time span and the mean of its samples in windows of a given length.

    /usr/bin/python3 examples/record_times.py data.spf [T0] [--window 0.5]

The record is named by kind and number (T0, R2, I1; default T0). Times are
seconds where the record's RATE (samples per second) is positive, else
sample numbers; the window is in the same unit (default: a tenth of the
record's samples).
"""

import argparse
import math
import re
import sys

import orvane


def find_record(f, name):
    match = re.fullmatch(r"([TRI])(\d+)", name, re.IGNORECASE)
    records = {"T": f.t, "R": f.r, "I": f.i}[match[1].upper()] if match else ()
    if not match or int(match[2]) >= len(records):
        raise LookupError(f"{f.path}: there is no record {name}")
    return records[int(match[2])]


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("file")
    p.add_argument("record", nargs="?", default="T0")
    p.add_argument("--window", type=float, help="window length, in seconds (or samples where RATE is 0)")
    args = p.parse_args()
    try:
        with orvane.open(args.file) as f:
            rec = find_record(f, args.record)
    except (orvane.Error, OSError, LookupError) as e:
        print(f"record_times: {e}", file=sys.stderr)
        return 1
    series = rec.to_series()  # the samples, not copied, indexed by rec.times
    unit = rec.time_unit  # "s", or "sample" where RATE gives no time scale
    if series.empty:
        print(f"{rec.name}: no samples")
        return 0
    print(f"{rec.name}: {len(rec)} samples, RATE {rec.rate:g}, {series.index[0]:g} to {series.index[-1]:g} {unit}")
    step = 1 / rec.rate if unit == "s" else 1.0  # from one sample to the next
    window = args.window or math.ceil(len(rec) / 10) * step
    starts = (series.index // window) * window  # the start of each sample's window
    means = series.astype("float64").groupby(starts).mean()
    print(f"window start ({unit})  mean")
    for start, mean in means.items():
        print(f"{start:<18g} {mean:.6g}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
