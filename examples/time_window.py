#!/usr/bin/python3
"""Prints the mean of every record of a pulse file between two times, with
xarray: the file as a Dataset, its time coordinates indexed for selection.

    /usr/bin/python3 examples/time_window.py data.spf START END

START and END are seconds for records whose RATE (samples per second) is
positive, sample numbers for the others; both ends are included. Needs
python3-xarray.
"""

import argparse
import sys

import orvane


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("file")
    p.add_argument("start", type=float)
    p.add_argument("end", type=float)
    args = p.parse_args()
    try:
        f = orvane.open(args.file)
    except (orvane.Error, OSError) as e:
        print(f"time_window: {e}", file=sys.stderr)
        return 1
    with f:
        ds = f.to_xarray()  # views of the samples; nothing is read yet
        for name, var in ds.data_vars.items():
            (dim,) = var.dims
            # The time coordinates come without an index, which would
            # compute every time at once; index the one needed here.
            part = var.set_xindex(dim).sel({dim: slice(args.start, args.end)})
            unit = ds[dim].attrs["units"]
            mean = f"{float(part.mean()):.6g}" if part.size else "-"
            print(f"{name}: {part.size} samples from {args.start:g} to {args.end:g} {unit}, mean {mean}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
