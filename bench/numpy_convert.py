#!/usr/bin/python3
"""What a user scripts instead of the converter: the samples of a pulse file
written with numpy.savetxt and read back with numpy.loadtxt.

Usage: numpy_convert.py export FILE.spf DIR   one text file per record in DIR
       numpy_convert.py import FILE.spf DIR   DIR/new.spf from FILE.spf's
                                              headers and DIR's text files

The text has the converter's columns ("%6d" eight to a line for T and I
records, "%15.7e" four to a line for R records, three blanks apart) but no
header lines; the import takes the headers from the original pulse file and
seals the new one with its checksum word, as a script would.
"""
import sys

import numpy as np

# Record kinds in table order: letter, record header bytes, offset of SIZE,
# sample type, samples per line, format.
KINDS = [("T", 136, 100, "<i2", 8, "%6d"), ("R", 152, 116, "<f4", 4, "%15.7e"),
         ("I", 124, 88, "<i2", 8, "%6d")]
COUNTS_AT = 272  # TCNT, RCNT and ICNT, 32-bit each
HEADER_BYTES = 316


def records(data):
    counts = np.frombuffer(data, "<u4", 3, COUNTS_AT)
    table = np.frombuffer(data, "<u4", int(counts.sum()), HEADER_BYTES)
    entry = 0
    for (letter, header, size_at, dtype, per_line, fmt), count in zip(KINDS, counts):
        for n in range(int(count)):
            start = int(table[entry])
            entry += 1
            size = int(np.frombuffer(data, "<i4", 1, start + size_at)[0])
            yield letter, n, start, header, size, dtype, per_line, fmt


def export(spf, folder):
    data = open(spf, "rb").read()
    for letter, n, start, header, size, dtype, per_line, fmt in records(data):
        samples = np.frombuffer(data, dtype, size, start + header)
        np.savetxt(f"{folder}/{letter}{n}.txt", samples.reshape(-1, per_line), fmt=fmt, delimiter="   ")


def import_(spf, folder):
    data = open(spf, "rb").read()
    out = bytearray(data[:HEADER_BYTES])
    table_at = len(out)
    entries = list(records(data))
    out += bytes(4 * len(entries))
    offsets = []
    for letter, n, start, header, size, dtype, per_line, fmt in entries:
        offsets.append(len(out))
        out += data[start:start + header]
        samples = np.loadtxt(f"{folder}/{letter}{n}.txt", dtype=dtype).reshape(-1)
        out += samples.astype(dtype).tobytes()
        if dtype == "<i2" and size % 2 == 1:
            out += bytes(2)
    out[table_at:table_at + 4 * len(offsets)] = np.array(offsets, "<u4").tobytes()
    if len(out) % 2 == 1:
        out += bytes(1)
    total = int(np.frombuffer(bytes(out), "<u2").sum(dtype=np.uint64)) & 0xFFFF
    out += ((-total) & 0xFFFF).to_bytes(2, "little")
    open(f"{folder}/new.spf", "wb").write(out)


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] not in ("export", "import"):
        sys.exit(__doc__)
    (export if sys.argv[1] == "export" else import_)(sys.argv[2], sys.argv[3])
