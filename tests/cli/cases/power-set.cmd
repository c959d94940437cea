# power FILE VALUE... sets T records 0, 1, ... in order, each written and
# sealed by itself: the file grows by two bytes per record and stays valid.
. "$CASES/lib.sh"
make_power_file data 0.5 -0.2 1.0 0.1 0.2
echo "size $(size_of data.spf)"
run power data.spf -37
run power data
echo "size $(size_of data.spf)"
run power data 150 -150
run power data
run power data 1 2 3 4 5
echo "size $(size_of data.spf)"
run check data
run power data 9 8 7 6 5 4 3 2 1
run power data
echo "size $(size_of data.spf)"
run power -q data 11
run power -- data -22 "33 44"
run power data
run --trace power data 0 0
