#!/usr/bin/python3
"""Writes a pulse file as a NetCDF-4 file and lists what it holds, as
xarray reads it back.

    /usr/bin/python3 examples/to_netcdf.py data.spf data.nc

One variable per record (T0, R0, I0, ...) with its own time coordinate
(T0_time, ...), samples in their own type (16-bit integers, 32-bit reals),
header fields as attributes. examples/from_netcdf.py writes the pulse file
back. Needs python3-xarray and python3-netcdf4.
"""

import argparse
import sys

import xarray

import orvane


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("file")
    p.add_argument("out", help="the NetCDF file to write (.nc)")
    args = p.parse_args()
    try:
        orvane.to_netcdf(args.file, args.out)
    except (orvane.Error, OSError) as e:
        print(f"to_netcdf: {e}", file=sys.stderr)
        return 1
    with xarray.open_dataset(args.out) as ds:
        print(f"{args.out}: {len(ds.data_vars)} records; {ds.attrs['desc']!r}")
        for name, var in ds.data_vars.items():
            (dim,) = var.dims
            axis = ds[dim]
            span = f", {dim} 0 to {float(axis[-1]):g} {axis.attrs['units']}" if axis.size else ""
            print(f"{name} {var.dtype} {var.size} samples{span}; desc {var.attrs['desc']!r}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
