# Failing runs go to standard error as "orvane-cli: FILE: MESSAGE"; the
# others still run, and the status is 1.
. "$CASES/lib.sh"
cp "$GOLDEN/t-records/data.spf" good.spf
printf 'not a pulse file' >bad.spf
cp "$GOLDEN/t-records/data.spf" sum.spf
printf '\001' | dd of=sum.spf bs=1 seek=400 conv=notrunc 2>/dev/null
run to-ascii good.spf bad.spf nothere sum.spf ""
ls
run from-ascii nothere.pfh
run to-ascii data.SPF
