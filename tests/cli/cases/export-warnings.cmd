# to-ascii names, per text file, every value its default text will not give
# back (on standard error, also with -q, without changing the files written
# or the exit status); a file that round-trips gives no warning; --exact
# keeps every value, so only what no text can carry is left to warn of.
. "$CASES/lib.sh"
# A pulse file whose R0 has a RATE and samples that are NaNs with payloads,
# samples that need nine digits and a real of 3.3e-10 in FHz0.
src="$GOLDEN/r-records/labelled"
sed -e 's/^RATE: .*/RATE: nan(0x1)/' -e 's/^FHz0: .*/FHz0: 3.3e-10/' \
    -e 's/^     0:  .*/     0:   nan(0x123)  -nan(0x7FFFFF)  15.9499655  14.8715925/' "$src/data.R0" >data.R0
sed 's/^RCNT: .*/RCNT: 1/' "$src/data.pfh" >data.pfh
run -q from-ascii data.pfh
rm data.pfh data.R0
run -q to-ascii data.spf
mkdir quiet && cp data.pfh data.R0 quiet/
run to-ascii data.spf
cmp -s data.R0 quiet/data.R0 && echo "same text with and without -q"
grep -h -e '^RATE' -e '^FHz0' data.R0
sed -n 20p data.R0
run -q to-ascii --exact data.spf
grep -h -e '^RATE' -e '^FHz0' data.R0
sed -n 20p data.R0
# The import of the exact text gives the pulse file back byte for byte.
mv data.spf first.spf
run -q from-ascii data.pfh
cmp first.spf data.spf && echo "exact round trip: same bytes"
# A file that round-trips: no warning.
sed 's/^MXPR: .*/MXPR: 0.5/' "$GOLDEN/no-records/labelled/data.pfh" >plain.pfh
run -q from-ascii plain.pfh
run -q to-ascii plain.spf
run to-ascii --exact --no-headers plain.spf
run from-ascii --exact plain.pfh  # --exact is an option of the export only
