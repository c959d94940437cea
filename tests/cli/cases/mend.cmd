# repair and salvage: what each prints, the files they write, and the
# command lines they refuse; check --json on the same damage.
. "$CASES/lib.sh"
cp "$GOLDEN/mixed/data.spf" data.spf
cp data.spf sum.spf
printf '\001' | dd of=sum.spf bs=1 seek=400 conv=notrunc 2>/dev/null
head -c 2000 data.spf >cut.spf
run check --json sum cut
run repair sum -o fixed.spf
run check fixed
cmp -n "$(size_of sum.spf)" sum.spf fixed.spf && echo "fixed.spf begins with sum.spf"
run repair --json data --output same.spf
cmp data.spf same.spf && echo "same.spf is data.spf"
run repair cut -o nothing.spf
run salvage cut -o kept.spf
run check kept
run salvage --json cut.spf --output=kept2.spf
cmp kept.spf kept2.spf && echo "both salvages wrote the same bytes"
run repair sum -o sum.spf
run salvage sum.spf -o ./sum.spf
ls nothing.spf 2>/dev/null || echo "nothing.spf was not written"
run repair sum
run salvage a b -o x.spf
run to-ascii --json data
run power --json data 10
run info data sum
run info --json nothere data
