# to-ascii writes exactly the golden text files, in both layouts, for every
# golden case, and names the same files as data, data.spf and data.pfh.
. "$CASES/lib.sh"
status=0
for case in $(golden_cases); do
  mkdir -p "$case/labelled" "$case/bare"
  cp "$GOLDEN/$case/data.spf" "$case/labelled/data.spf"
  cp "$GOLDEN/$case/data.spf" "$case/bare/data.spf"
  orvane-cli to-ascii "$case/labelled/data.spf" || status=1
  orvane-cli to-ascii --no-headers "$case/bare/data" || status=1
  same_as_golden "$case/labelled" "$GOLDEN/$case/labelled"
  same_as_golden "$case/bare" "$GOLDEN/$case/bare"
done
exit $status
