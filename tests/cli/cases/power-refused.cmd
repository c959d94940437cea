# Anything but whole numbers separated by white space refuses the whole
# command, and nothing is written; an empty value changes nothing quietly.
. "$CASES/lib.sh"
make_power_file data 0.5 -0.2 1.0
cp data.spf before.spf
run power data 10.5 20
run power data 10-20
run power data 5 x 7
run power data "" " "
cmp -s data.spf before.spf && echo "data.spf unchanged"
run power data --bogus
run power data.SPF 5
cp "$GOLDEN/no-records/data.spf" none.spf && chmod u+w none.spf
run power none 5 6
cmp -s none.spf "$GOLDEN/no-records/data.spf" && echo "none.spf unchanged"
run power nothere 5
ls
