# The text files of an export replace the old ones together, and only when
# the whole run succeeded: a run that fails on one record leaves every old
# text file as it was. --keep-partial puts in place what the run got.
. "$CASES/lib.sh"
cp "$GOLDEN/t-records/data.spf" data.spf
run -q to-ascii --no-headers data.spf
md5sum data.pfh data.T* >old.sums
chmod a-w data.T3
run -j 1 to-ascii data.spf
md5sum -c --quiet old.sums && echo "old set unchanged"
run to-ascii data.spf
md5sum -c --quiet old.sums && echo "old set unchanged"
ls -A | grep -c '^\.orvane-' || true
run to-ascii --keep-partial data.spf
md5sum -c old.sums 2>/dev/null | sort
chmod u+w data.T3
run -q to-ascii data.spf
for f in data.pfh data.T*; do cmp -s "$f" "$GOLDEN/t-records/labelled/$f" || echo "$f differs"; done
run from-ascii --keep-partial data.pfh
