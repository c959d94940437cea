# diff: equal files, samples within and beyond the tolerance, header fields,
# records in one file only, as lines and as JSON; trouble exits 2.
. "$CASES/lib.sh"
cp "$GOLDEN/t-records/labelled"/data.pfh "$GOLDEN/t-records/labelled"/data.T? .
build() {
  orvane-cli -q from-ascii data.pfh || echo "could not build $1.spf"
  mv data.spf "$1.spf"
}
build a
cp a.spf same.spf
# T0 sample 9 moves by 2, then also sample 2 by 10
sed 's/-19536/-19534/' data.T0 >t && mv t data.T0
build near
sed 's/-19225/-19215/' data.T0 >t && mv t data.T0
build far
# T6 left out, T1's DESC changed
sed 's/^TCNT: .*/TCNT: 6/' data.pfh >t && mv t data.pfh
sed 's/^DESC: .*/DESC: another text/' data.T1 >t && mv t data.T1
build fewer
run diff a same
run diff a.spf near.pfh
run diff --tolerance 2 a near
run diff --tolerance=2 a far
run diff --json --tolerance 2 a far
run diff a fewer
run diff --json fewer a
printf 'not a pulse file' >bad.spf
run diff a bad
run diff nothere a
run diff a
run diff --tolerance -1 a same
run diff --tolerance x a same
