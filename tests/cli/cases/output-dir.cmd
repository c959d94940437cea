# -o DIR writes the new files into DIR under the base name without its
# folder, reading the input where FILE names it: the same bytes as a run in
# place, in both directions and layouts.
# DIR must exist; -o applies to conversions only.
. "$CASES/lib.sh"
mkdir archive out out2
cp "$GOLDEN/mixed/data.spf" archive/data.spf && chmod u+w archive/data.spf
run -q -o out to-ascii archive/data.spf
same_as_golden out "$GOLDEN/mixed/labelled"
run -q --output-dir=out2 to-ascii --no-headers archive/data
same_as_golden out2 "$GOLDEN/mixed/bare"
ls archive
mkdir rebuilt
run -q -o rebuilt/ from-ascii out/data.pfh
cp -r out inplace
orvane-cli -q from-ascii inplace/data.pfh
cmp rebuilt/data.spf inplace/data.spf && echo "rebuilt as in place"
ls out | grep -c spf
run -o missing to-ascii archive/data.spf
touch plain
run -o plain from-ascii out/data.pfh
run -o out check archive/data.spf
run to-ascii -o
