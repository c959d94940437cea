# info: the labelled header fields, the counts and the record table.
. "$CASES/lib.sh"
cp "$GOLDEN/mixed-edge/data.spf" data.spf
run info data.pfh
run info nothere
