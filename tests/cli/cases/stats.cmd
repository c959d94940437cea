# stats: the figures of every record or of those named, as a table and as
# JSON; a record the file does not hold, a bad record name, a missing file.
. "$CASES/lib.sh"
cp "$GOLDEN/mixed/data.spf" data.spf
run stats data.pfh
run stats data I2 T0 R1
run stats --json data T1 R0 R2
run stats data T3
run stats data X1
run stats --tolerance 1 data
run stats nothere
