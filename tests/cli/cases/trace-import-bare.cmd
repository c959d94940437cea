# --trace shows the whole protocol of the run: the first progress step of
# the Convert command, then exactly the golden import.trace.
cp "$GOLDEN/mixed/bare/data.pfh" "$GOLDEN/mixed/bare"/data.[TRI]* .
orvane-cli --trace from-ascii --no-headers data.pfh >trace
status=$?
cat trace
{ echo "progress: 1"; cat "$GOLDEN/mixed/bare/import.trace"; } | cmp -s - trace && echo "= progress: 1 + golden import.trace"
exit $status
