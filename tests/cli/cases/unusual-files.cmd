# Anything but a regular file is refused at once, never waited on; names as
# long as the file system allows convert both ways.
. "$CASES/lib.sh"
mkfifo fifo.spf fifo.pfh
run check fifo.spf
run info fifo
run power fifo
run to-ascii fifo.spf
run from-ascii fifo.pfh
long=$(printf 'n%.0s' $(seq 1 240))
cp "$GOLDEN/mixed/data.spf" "$long.spf" && chmod u+w "$long.spf"
run -q to-ascii "$long.spf"
run -q from-ascii "$long.pfh"
run -q check "$long"
ls -A | grep -c '^\.orvane-' || true
