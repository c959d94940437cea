# from-ascii builds exactly the golden pulse files from the golden text
# files, in both layouts, for every golden case.
. "$CASES/lib.sh"
status=0
for case in $(golden_cases); do
  for layout in labelled bare; do
    mkdir -p "$case/$layout"
    (cd "$GOLDEN/$case/$layout" && ls) | grep -v -e '^data.spf$' -e '\.trace$' |
      while read -r file; do cp "$GOLDEN/$case/$layout/$file" "$case/$layout/"; done
  done
  orvane-cli from-ascii "$case/labelled/data.pfh" || status=1
  orvane-cli from-ascii --no-headers "$case/bare/data" || status=1
  for layout in labelled bare; do
    if cmp -s "$case/$layout/data.spf" "$GOLDEN/$case/$layout/data.spf"; then
      echo "$case/$layout/data.spf as golden"
    else
      echo "$case/$layout/data.spf differs"
    fi
  done
done
exit $status
