# Every command judges a pulse file by the same check of its structure: a
# sealed file whose T1 entry points past its end, or whose TCNT is
# 0xFFFFFFFF, is refused by check, info, power and to-ascii alike, and
# check names the first record that is wrong.
. "$CASES/lib.sh"
# patch FILE OFFSET VALUE: writes VALUE as 32 bits at OFFSET and seals the
# file again through its last word.
patch() {
  /usr/bin/python3 - "$@" <<'PY'
import struct, sys
name, offset, value = sys.argv[1], int(sys.argv[2]), int(sys.argv[3], 0)
b = bytearray(open(name, 'rb').read())
b[offset:offset + 4] = struct.pack('<I', value)
b[-2:] = b'\0\0'
total = sum(struct.unpack('<%dH' % (len(b) // 2), bytes(b[:len(b) // 2 * 2]))) % 65536
b[-2:] = struct.pack('<H', (65536 - total) % 65536)
open(name, 'wb').write(b)
PY
}
cp "$GOLDEN/t-records/data.spf" past.spf && chmod u+w past.spf
patch past.spf 320 0x7fff0000
cp "$GOLDEN/t-records/data.spf" count.spf && chmod u+w count.spf
patch count.spf 272 0xffffffff
for f in past count; do
  run check $f.spf
  run info $f.spf | tail -1
  run power $f.spf
  run power $f.spf 10
  run -q to-ascii $f.spf
  ls $f.* | tr '\n' ' '; echo
done
