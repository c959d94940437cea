#!/usr/bin/python3
"""Plots one record of a pulse file with matplotlib.

    /usr/bin/python3 examples/plot_record.py data.spf [T0] [--out t0.png]

The record is named by kind and number (T0, R2, I1; default T0). Without
--out the plot is shown in a window.
"""

import argparse

import matplotlib.pyplot as plt
import numpy as np

import orvane


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("file")
    p.add_argument("record", nargs="?", default="T0")
    p.add_argument("--out", help="image file to write instead of showing a window")
    args = p.parse_args()
    kind, number = args.record[0].upper(), int(args.record[1:])

    with orvane.open(args.file) as f:
        rec = {"T": f.t, "R": f.r, "I": f.i}[kind][number]
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


if __name__ == "__main__":
    main()
