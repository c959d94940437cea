#!/usr/bin/python3
"""The mean and RMS of one record of every pulse file of a folder, computed
on a Dask cluster straight from the files: orvane.stack gives the record of
all the files as one lazy array, each file read by the worker that needs it.

    /usr/bin/python3 examples/stack_statistics.py FOLDER
    /usr/bin/python3 examples/stack_statistics.py FOLDER --record R0
    /usr/bin/python3 examples/stack_statistics.py FOLDER --scheduler tcp://host:8786

Prints one line per file, in name order: the path, the mean and the RMS of
its samples, separated by tabs. Every file must hold the record with the
same number of samples. Without --scheduler a local cluster is started on
this machine (Client(LocalCluster())); with a scheduler address the workers
must be able to import orvane and see FOLDER under the same path.
Exit status: 0 on success, 1 when a file cannot be read or differs, 2 for a
usage error.
"""

import argparse
import contextlib
import os
import sys

import orvane


def statistics(files, record, verify):
    """Lazy per-file mean and RMS of the record, in float64."""
    import dask.array as da

    samples = orvane.stack(files, record, verify=verify)  # one row per file, <i2 or <f4 as stored
    return samples.mean(axis=1, dtype="f8"), da.sqrt((samples.astype("f8") ** 2).mean(axis=1))


def parse_args(argv):
    p = argparse.ArgumentParser(description="Mean and RMS of one record of every pulse file of a folder, on Dask.")
    p.add_argument("folder", help="folder with the .spf files")
    p.add_argument("--record", default="T0", help='the record, as "T0", "R1" or "I0" (default T0)')
    p.add_argument("--scheduler", metavar="ADDRESS", help="address of a running Dask scheduler")
    p.add_argument("--workers", type=int, metavar="N", help="worker processes of the local cluster")
    p.add_argument("--no-verify", action="store_true", help="trust the files: skip their checksum")
    return p.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    from dask.distributed import Client, LocalCluster

    files = sorted(os.path.join(args.folder, n) for n in os.listdir(args.folder) if n.endswith(".spf"))
    if not files:
        print(f"stack_statistics: no .spf files in {args.folder}", file=sys.stderr)
        return 1
    try:
        means, rms = statistics(files, args.record, verify=not args.no_verify)
    except (orvane.Error, OSError, ValueError) as e:  # a file that is not a pulse file, or differs
        print(f"stack_statistics: {e}", file=sys.stderr)
        return 1
    # The client goes before the cluster it talks to: closed the other way
    # round, it would try to reconnect and print its failures.
    with contextlib.ExitStack() as stack:
        if args.scheduler:
            client = stack.enter_context(Client(args.scheduler))
        else:
            workers = {} if args.workers is None else {"n_workers": args.workers, "threads_per_worker": 1}
            cluster = stack.enter_context(LocalCluster(processes=True, dashboard_address=None, **workers))
            client = stack.enter_context(Client(cluster))
        try:
            means, rms = client.compute([means, rms], sync=True)
        except (orvane.Error, OSError, ValueError) as e:  # raised in a worker: a damaged or changed file
            print(f"stack_statistics: {e}", file=sys.stderr)
            return 1
    for path, mean, r in zip(files, means.tolist(), rms.tolist()):
        print(f"{path}\t{mean:.10g}\t{r:.10g}")
    return 0


if __name__ == "__main__":  # the worker processes of a local cluster import this script too
    sys.exit(main())
