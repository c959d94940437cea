# power FILE shows the GAIN of every T record in hundredths, each followed
# by a blank, a half rounding up.
. "$CASES/lib.sh"
make_power_file three 0.5 -0.2 1.0
run power three.spf
make_power_file halves -0.375 -0.125 0.125
run power halves
run power halves.pfh
cp "$GOLDEN/no-records/data.spf" none.spf
run power none
cp "$GOLDEN/r-records/data.spf" records.spf
run power records
# A table that runs past the end of the file refuses the file, as check does.
cp "$GOLDEN/no-records/data.spf" table.spf
printf '\001' | dd of=table.spf bs=1 seek=273 conv=notrunc 2>/dev/null
printf '\000\377' >>table.spf
run power table
run power nothere
run power ""
