# Two inputs of a batch that would write the same files refuse the whole
# batch before anything is written: with -o, a/x.spf and b/x.spf both
# export to out/x.*, and a/x.pfh and b/x.pfh both build out/x.spf. Each
# later input is named beside the first one of its output.
. "$CASES/lib.sh"
mkdir a b c out
cp "$GOLDEN/mixed/data.spf" a/x.spf
cp "$GOLDEN/t-records/data.spf" b/x.spf
cp "$GOLDEN/no-records/data.spf" c/x.spf
cp "$GOLDEN/no-records/data.spf" c/y.spf
run -o out to-ascii a/x.spf b/x.spf
run -o out to-ascii c/y.spf a/x b/x.spf c/x.pfh a/x.spf
ls out
# The output folder counts where it resolves to, however it is spelled.
run -o ./out/ to-ascii b/x a/../a/x.spf
ls out
orvane-cli -q to-ascii a/x b/x
run -o out from-ascii a/x.pfh b/x.pfh
ls out
# Files of other names in the same folder are no clash.
run -q -o out to-ascii a/x.spf c/y.spf
ls out
