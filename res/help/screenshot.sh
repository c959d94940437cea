#!/usr/bin/env bash
# Takes the user guide's picture of the record viewer (viewer.png): a small
# pulse file of made-up pulses, orvane-view on it under a virtual X server,
# the screen grabbed and cut to the window.
# Usage: res/help/screenshot.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: screenshot.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$work/pulses.spf" <<'PY'
# Three records: a ringing pulse (T0), a decaying real wave with a stretch of
# missing values (R0) and a square-ish burst (I0), sealed to a zero word sum.
import math, struct, sys
def text(s, n=80): return s.encode().ljust(n - 1, b" ") + b"\0"
t = [int(12000 * math.exp(-i / 40000) * math.sin(i / 300 * (1 + i / 200000))) for i in range(300000)]
r = [2.5 * math.exp(-i / 150000) * math.sin(i / 900) + 0.05 * math.sin(i / 7) for i in range(400000)]
for i in range(250000, 262000): r[i] = float("nan")
b = [int(8000 * (1 if (i // 5000) % 2 else -1) * math.exp(-i / 60000)) for i in range(120000)]
th = bytearray(136); th[0:80] = text("ringing pulse, channel 1")
struct.pack_into("<f", th, 84, 50000.0); struct.pack_into("<f", th, 92, 0.5); struct.pack_into("<i", th, 100, len(t))
rh = bytearray(152); rh[0:80] = text("decaying wave, gap from 250000")
struct.pack_into("<f", rh, 84, 50000.0); struct.pack_into("<I", rh, 116, len(r))
ih = bytearray(124); ih[0:80] = text("burst")
struct.pack_into("<f", ih, 84, 50000.0); struct.pack_into("<I", ih, 88, len(b))
records = [bytes(th) + struct.pack("<%dh" % len(t), *t), bytes(rh) + struct.pack("<%df" % len(r), *r),
           bytes(ih) + struct.pack("<%dh" % len(b), *b)]
head = bytearray(316); struct.pack_into("<I", head, 0, 0x35799753); head[4:84] = text("viewer example")
struct.pack_into("<III", head, 272, 1, 1, 1)
offset = 316 + 12; table = b""
for rec in records: table += struct.pack("<I", offset); offset += len(rec)
data = bytes(head) + table + b"".join(records)
s = sum(struct.unpack("<%dH" % (len(data) // 2), data)) & 0xFFFF
open(sys.argv[1], "wb").write(data + struct.pack("<H", (0x10000 - s) & 0xFFFF))
PY

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$0" "$1" R0 & viewer=$!
  sleep 4
  /usr/bin/python3 -c "
import sys
from PIL import ImageGrab
shot = ImageGrab.grab()
shot.crop(shot.getbbox()).save(sys.argv[1])
" "$2"
  kill $viewer' "$build/app/viewer/orvane-view" "$work/pulses.spf" "$here/viewer.png"
echo "$here/viewer.png"
