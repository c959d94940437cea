#!/usr/bin/python3
"""Plots one record of a pulse file with matplotlib.

    /usr/bin/python3 examples/plot_record.py data.spf [T0] [--out t0.png]

The record is named by kind and number (T0, R2, I1; default T0). Without
--out the plot is shown in a window.
"""

import argparse
import re
import sys

import matplotlib.pyplot as plt
import numpy as np

import orvane


def find_record(path, name):
    """The record NAME (T0, R2, I1) of the pulse file at path; an
    orvane.Error, OSError or LookupError that names both when there is none."""
    match = re.fullmatch(r"([TRI])(\d+)", name, re.IGNORECASE)
    if not match:
        raise LookupError(f"{path}: {name!r} names no record: give its kind and number, such as T0, R2 or I1")
    kind, number = match[1].upper(), int(match[2])
    with orvane.open(path) as f:
        records = {"T": f.t, "R": f.r, "I": f.i}[kind]
        if number >= len(records):
            raise LookupError(f"{path}: there is no record {kind}{number}: the file has {len(records)} {kind} records")
        return records[number]


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("file")
    p.add_argument("record", nargs="?", default="T0")
    p.add_argument("--out", help="image file to write instead of showing a window")
    args = p.parse_args()
    try:
        rec = find_record(args.file, args.record)
    except (orvane.Error, OSError, LookupError) as e:
        # Error texts name the file; a plain OSError's text names it too.
        print(f"plot_record: {e}", file=sys.stderr)
        return 1
    rate = rec.header["rate"] or 1.0  # samples per second, when the file gives it
    seconds = np.arange(len(rec.samples)) / rate
    fig, ax = plt.subplots(figsize=(10, 4))
    ax.plot(seconds, rec.samples, linewidth=0.6)
    ax.set_title(f"{rec.name}: {rec.header['desc'].strip()}")
    ax.set_xlabel("s" if rec.header["rate"] else "sample")
    ax.set_ylabel("value")
    if args.out:
        fig.savefig(args.out, dpi=100)
    else:
        plt.show()
    return 0


if __name__ == "__main__":
    sys.exit(main())
