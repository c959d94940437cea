# --trace shows the whole protocol of the run: the first progress step of
# the Convert command, then exactly the golden import.trace.
cp "$GOLDEN/mixed/labelled/data.pfh" "$GOLDEN/mixed/labelled"/data.[TRI]* .
orvane-cli --trace from-ascii data.pfh >trace
status=$?
cat trace
{ echo "progress: 1"; cat "$GOLDEN/mixed/labelled/import.trace"; } | cmp -s - trace && echo "= progress: 1 + golden import.trace"
exit $status
