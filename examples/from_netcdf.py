#!/usr/bin/python3
"""Writes a NetCDF file that examples/to_netcdf.py (orvane.to_netcdf)
wrote back as a pulse file.

    /usr/bin/python3 examples/from_netcdf.py data.nc back.spf

The records are the variables T0, T1, ..., R0, ..., I0, ... in the order of
their numbers, their headers and the file header come from the attributes;
a file that went to NetCDF and back is the same pulse file byte for byte.
Needs python3-xarray and python3-netcdf4.
"""

import argparse
import sys

import xarray

import orvane


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("nc", help="the NetCDF file to read")
    p.add_argument("out", help="the pulse file to write (.spf)")
    args = p.parse_args()
    try:
        with xarray.open_dataset(args.nc) as ds:
            orvane.from_xarray(ds, args.out)
    except (orvane.Error, OSError, TypeError, ValueError) as e:
        # TypeError and ValueError: a variable or attribute no pulse file
        # can hold (a sample type, a field out of range); the text says which.
        print(f"from_netcdf: {args.nc}: {e}", file=sys.stderr)
        return 1
    with orvane.open(args.out) as f:
        print(f"{args.out}: T {len(f.t)}, R {len(f.r)}, I {len(f.i)} records, {f.size} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
