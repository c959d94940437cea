# --trace shows the whole protocol of the run: the first progress step of
# the Convert command, then exactly the golden export.trace.
cp "$GOLDEN/mixed/data.spf" data.spf
orvane-cli --trace to-ascii data.spf >trace
status=$?
cat trace
{ echo "progress: 1"; cat "$GOLDEN/mixed/labelled/export.trace"; } | cmp -s - trace && echo "= progress: 1 + golden export.trace"
exit $status
