# check NAME.pfh checks a text set as from-ascii would read it and writes
# nothing: "NAME.pfh: OK" when clean, otherwise its warnings and status 1.
# --strict refuses a text set with any warning, leaving every file as it
# was.
. "$CASES/lib.sh"
for layout in labelled bare; do
  mkdir $layout
  (cd "$GOLDEN/mixed/$layout" && ls) | grep -v -e '^data.spf$' -e '\.trace$' |
    while read -r f; do cp "$GOLDEN/mixed/$layout/$f" $layout/; done
done
run check labelled/data.pfh
run check --no-headers bare/data.pfh
run check labelled/data.pfh --no-headers
sed -i 's/^GAIN: .*/GAIN: 0,25/' labelled/data.T2
sed -i '17s/^     8:/    16:/' labelled/data.T1
run check labelled/data.pfh
run -q check labelled/data.pfh
ls labelled | grep -c spf
# Without the .pfh file, NAME.pfh names the pulse file, as everywhere.
cp "$GOLDEN/mixed/data.spf" pulse.spf
run check pulse.pfh
# --strict: the old pulse file stays as it was.
cp "$GOLDEN/t-records/data.spf" labelled/data.spf
run from-ascii --strict labelled/data.pfh
cmp labelled/data.spf "$GOLDEN/t-records/data.spf" && echo "old pulse file kept"
ls -A labelled | grep -c '^\.orvane-' || true
run from-ascii --strict --no-headers bare/data.pfh
cmp bare/data.spf "$GOLDEN/mixed/bare/data.spf" && echo "bare: as golden"
run to-ascii --strict labelled/data.spf
