# Names of the same input, however they are spelled (data, ./data.spf,
# w/../w/data, a linked folder), are one conversion and no clash: they run
# one after another, never side by side, with or without -o.
. "$CASES/lib.sh"
mkdir w out
cp "$GOLDEN/mixed/data.spf" w/data.spf
ln -s w link
run -j 4 -q to-ascii w/data ./w/data.spf w/../w/data.pfh link/data
same_as_golden w "$GOLDEN/mixed/labelled"
run -j 4 -q -o out to-ascii w/data ./w/data.spf link/data.spf
same_as_golden out "$GOLDEN/mixed/labelled"
run -j 4 -q -o out from-ascii out/data.pfh ./out/data w/../out/data.pfh
orvane-cli -q from-ascii w/data.pfh
cmp out/data.spf w/data.spf && echo "out/data.spf as built in place"
