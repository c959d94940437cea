#!/usr/bin/python3
"""Converts every pulse file of a folder to text (or every header text file
back to a pulse file) on a Dask cluster, one task per file, with a progress
bar on standard error.

    /usr/bin/python3 examples/convert_many.py FOLDER
    /usr/bin/python3 examples/convert_many.py FOLDER --scheduler tcp://host:8786
    /usr/bin/python3 examples/convert_many.py FOLDER --from-text --no-headers

Without --scheduler a local cluster is started on this machine
(Client(LocalCluster())). With a scheduler address the workers must be able
to import orvane and see FOLDER (and --output-dir) under the same paths.
Exit status: 0 when every file converted, 1 when some did not, 2 for a usage
error.
"""

import argparse
import contextlib
import os
import sys
import time


def convert_one(path, to_text, labelled, output_dir):
    """One task: converts one file on a worker. Returns (path, None) or
    (path, what went wrong, naming the file), so that one bad file fails
    only itself."""
    import orvane

    try:
        if to_text:
            orvane.to_text(path, labelled=labelled, output_dir=output_dir, threads=1)
        else:
            orvane.from_text(path, labelled=labelled, output_dir=output_dir, threads=1)
    except (orvane.Error, OSError) as e:
        text = str(e)
        # The system's reason, as orvane-cli adds it ("No space left on device").
        if isinstance(e, OSError) and e.strerror and e.strerror not in text:
            text += f": {e.strerror}"
        return path, text
    return path, None


def inputs(folder, to_text):
    suffix = ".spf" if to_text else ".pfh"
    names = sorted(n for n in os.listdir(folder) if n.endswith(suffix))
    return [os.path.join(folder, n) for n in names]


class ProgressBar:
    """A one-line bar on standard error: [#####-----] 5/10 files, 2.1 s."""

    def __init__(self, total, stream=sys.stderr, width=40):
        self.total, self.stream, self.width = total, stream, width
        self.done = 0
        self.start = time.monotonic()
        self.draw()

    def step(self):
        self.done += 1
        self.draw()

    def draw(self):
        filled = self.width * self.done // max(self.total, 1)
        bar = "#" * filled + "-" * (self.width - filled)
        elapsed = time.monotonic() - self.start
        self.stream.write(f"\r[{bar}] {self.done}/{self.total} files, {elapsed:.1f} s")
        if self.done == self.total:
            self.stream.write("\n")
        self.stream.flush()


def parse_args(argv):
    p = argparse.ArgumentParser(description="Convert a folder of pulse files on a Dask cluster.")
    p.add_argument("folder", help="folder with the .spf files (or .pfh files with --from-text)")
    p.add_argument("--scheduler", metavar="ADDRESS", help="address of a running Dask scheduler")
    p.add_argument("--from-text", action="store_true", help="build pulse files from BASE.pfh and its record files")
    p.add_argument("--no-headers", action="store_true", help="bare text layout (default: labelled lines)")
    p.add_argument("--output-dir", metavar="DIR", help="folder for the new files (default: beside each input)")
    p.add_argument("--workers", type=int, metavar="N", help="worker processes of the local cluster")
    return p.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    from dask.distributed import Client, LocalCluster, as_completed

    files = inputs(args.folder, not args.from_text)
    if not files:
        print(f"convert_many: no {'.pfh' if args.from_text else '.spf'} files in {args.folder}", file=sys.stderr)
        return 1
    failures = []
    # The client goes before the cluster it talks to: closed the other way
    # round, it would try to reconnect and print its failures.
    with contextlib.ExitStack() as stack:
        if args.scheduler:
            client = stack.enter_context(Client(args.scheduler))
        else:
            workers = {} if args.workers is None else {"n_workers": args.workers, "threads_per_worker": 1}
            cluster = stack.enter_context(LocalCluster(processes=True, dashboard_address=None, **workers))
            client = stack.enter_context(Client(cluster))
        futures = client.map(
            convert_one,
            files,
            to_text=not args.from_text,
            labelled=not args.no_headers,
            output_dir=args.output_dir,
            pure=False,
        )
        bar = ProgressBar(len(futures))
        for future in as_completed(futures):
            path, message = future.result()
            if message is not None:
                failures.append((path, message))
            bar.step()
    for path, message in sorted(failures):
        print(f"convert_many: {message}", file=sys.stderr)
    print(f"{len(files) - len(failures)} of {len(files)} files converted")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
